// SPDX-License-Identifier: GPL-3.0-or-later
// Every caption of the window and of its boxes shows whole with large text: a 16 pt
// desktop font here, and, in the run CTest makes with QT_SCALE_FACTOR=2, twice the
// scale. What a caption needs (its text's extent, or the widget's size hint where the
// widget lays its text out itself) is compared with the room its widget has.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStyleOptionButton>
#include <QTimer>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/fakes/fakes.h"
#include "ui/main_window.h"
#include "ui/qt_boxes.h"

namespace lyrabox::testing {
namespace {

// What of `widget`'s caption does not fit its room, "" when it all does.
std::string Clipped(QWidget* widget) {
  QSize need;
  QRect room = widget->contentsRect();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    // A button's size hint holds a minimum width of the style's own, more than its
    // caption needs; the caption is drawn within the style's contents rectangle.
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const QFontMetrics metrics = button->fontMetrics();
    need = QSize(metrics.size(Qt::TextShowMnemonic, button->text()).width(),
                 metrics.tightBoundingRect(button->text()).height());
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    room = label->rect();
    need = label->wordWrap() ? QSize(0, label->heightForWidth(room.width())) : label->sizeHint();
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    const QFontMetrics metrics = edit->fontMetrics();
    need = QSize(metrics.horizontalAdvance(edit->text()),
                 metrics.tightBoundingRect(edit->text()).height());
  } else if (auto* bar = qobject_cast<QMenuBar*>(widget)) {
    room = bar->rect();
    need = bar->sizeHint();
  } else {
    return "";
  }
  if (need.width() <= room.width() && need.height() <= room.height()) return "";
  return widget->objectName().toStdString() + " " + widget->metaObject()->className() + " needs " +
         std::to_string(need.width()) + "x" + std::to_string(need.height()) + ", has " +
         std::to_string(room.width()) + "x" + std::to_string(room.height());
}

std::vector<std::string> ClippedIn(QWidget* window) {
  std::vector<std::string> clipped;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisible()) continue;
    if (std::string what = Clipped(widget); !what.empty()) clipped.push_back(what);
  }
  return clipped;
}

TEST(ScaledText, NoCaptionOfTheWindowOrItsBoxesIsClipped) {
  const QFont desktop = QApplication::font();
  QFont large = desktop;
  large.setPointSizeF(16);
  QApplication::setFont(large);

  FakeWorld world;
  AudioDisc disc;  // the widest displays a disc can give
  disc.trackLengths.assign(99, "79:59:74");
  disc.totalLength = "79:59:74";
  InsertAudioDisc(world, disc);
  MainWindow form(world.platform);
  form.Load();
  ASSERT_TRUE(QMetaObject::invokeMethod(form.findChild<QTimer*>("Timer1"), "timeout",
                                        Qt::DirectConnection));
  form.show();
  EXPECT_EQ(ClippedIn(&form), std::vector<std::string>{})
      << "at scale " << qgetenv("QT_SCALE_FACTOR").toStdString();

  // Each kind of box, looked at from inside its own event loop.
  QtBoxes boxes;
  std::vector<std::string> clipped;
  const auto lookAtTheBox = [&clipped] {
    QTimer::singleShot(0, [&clipped] {
      QWidget* box = QApplication::activeModalWidget();
      if (box == nullptr) return clipped.push_back("no box opened");
      for (const std::string& what : ClippedIn(box)) clipped.push_back(what);
      box->close();
    });
  };
  lookAtTheBox();
  boxes.Question("Would you like to start playing at last bookmark ?");
  lookAtTheBox();
  boxes.Message("The specified device is not open or is not recognized by MCI.");
  lookAtTheBox();
  boxes.Input("Enter the new speed in seconds", "Fast Forward Speed", "5");
  EXPECT_EQ(clipped, std::vector<std::string>{});

  form.hide();
  QApplication::setFont(desktop);
}

}  // namespace
}  // namespace lyrabox::testing
