// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the player's start and close: a bare Qt window of the player's
// size, built with the same compiler and flags. Escape asks to close it, and it asks
// the question the player asks before closing a playing disc, in a box of its own; the
// close goes on whatever the answer, as the player's does. With --text it shows one
// line of text, which is enough to make Qt load the font database, as every window
// with a caption on it must; with --buttons it shows nine buttons with the player's
// captions in a grid, the window the player is measured against.
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>
#include <cstring>

namespace {

class BareWindow final : public QWidget {
 protected:
  void closeEvent(QCloseEvent* event) override {
    QMessageBox::question(this, windowTitle(), "Bookmark & Save before Closing ?");
    event->accept();
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  BareWindow window;
  window.setWindowTitle("Bare window");
  window.resize(339, 149);
  if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
    (new QLabel("Tracks: 12  Total time: 53:40:00", &window))->move(8, 8);
  }
  if (argc > 1 && std::strcmp(argv[1], "--buttons") == 0) {
    // Laid out as any window lays out its buttons: by their captions' sizes, which
    // loads the fonts before the window is shown, as the player's window does.
    auto* grid = new QGridLayout(&window);
    const char* captions[] = {">", "||", "x", "|<<", ">>|", "<<", ">>", "ejc", "Stop && Bookmark"};
    int place = 0;
    for (const char* caption : captions) {
      grid->addWidget(new QPushButton(caption, &window), place / 4, place % 4);
      ++place;
    }
  }
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
  QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
  window.show();
  return QApplication::exec();
}
