// The yardstick for the player's start and close: a bare Qt window of the player's
// size, built with the same compiler and flags, that closes on Escape as the player's
// close prompt does.
#include <QApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle("Bare window");
  window.resize(339, 149);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
  QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
  window.show();
  return QApplication::exec();
}
