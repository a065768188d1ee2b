// SPDX-License-Identifier: GPL-3.0-or-later
// How the main window looks when it is created: title, size, every control's place, caption,
// font and state, the tab order, the menu and the timer.
#include <QAbstractButton>
#include <QAction>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/fakes.h"
#include "ui/main_window.h"
#include "ui/icon.h"
#include "ui/layout/accessible_names.h"
#include "ui/window_style.h"

namespace lyrabox::testing {
namespace {

using ::testing::ElementsAre;

// The controls as the window's design gives them, in tab order; pixels at 15 twips
// a pixel, written out here rather than computed so that a wrong conversion shows.
struct Expected {
  const char* name;
  const char* caption;  // Qt's caption form: "&&" is one drawn ampersand
  int left, top, width, height;
  double points;
  bool bold;
};
const Expected kControls[] = {
    {"timeWindow", "", 8, 0, 137, 49, 18, true},
    {"play", ">", 152, 0, 97, 25, 13.5, true},
    {"pause", "||", 248, 0, 33, 25, 12, true},
    {"stopbtn", "x", 280, 0, 33, 25, 13.5, true},
    {"btrack", "|<<", 152, 24, 33, 25, 9.75, true},
    {"ftrack", ">>|", 184, 24, 33, 25, 9.75, true},
    {"rew", "<<", 216, 24, 33, 25, 9.75, true},
    {"ff", ">>", 248, 24, 33, 25, 9.75, true},
    {"eject", "ejc", 280, 24, 33, 25, 9.75, true},
    {"totalplay", "", 8, 64, 177, 17, 8.25, false},
    {"tracktime", "", 192, 64, 121, 17, 8.25, false},
    {"Bookmark", "Stop && Bookmark", 112, 96, 113, 25, 8.25, false},
};

class MainWindowLayout : public ::testing::Test {
 protected:
  FakeWorld world;
  MainWindow form{world.platform};

  QWidget* Control(const char* name) {
    auto* widget = form.findChild<QWidget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  static QString Caption(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    return qobject_cast<QAbstractButton*>(widget)->text();
  }
};

TEST_F(MainWindowLayout, TitleAndFixedClientAreaBelowTheMenuBar) {
  EXPECT_EQ(form.windowTitle(), "Lyrabox  Version 1.00");
  QWidget* client = form.centralWidget();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->size(), QSize(339, 130));
  EXPECT_EQ(client->x(), 0);
  EXPECT_EQ(client->y(), form.menuBar()->height());
  EXPECT_GT(form.menuBar()->height(), 0);
  EXPECT_EQ(form.size(), QSize(339, form.menuBar()->height() + 130));

  // Fixed single border: no size but its own is allowed, before and after showing,
  // and a resize request changes nothing.
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  form.show();
  const QSize shown = form.size();
  form.resize(600, 400);
  EXPECT_EQ(form.size(), shown);
  EXPECT_EQ(client->size(), QSize(339, 130));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  form.hide();
}

TEST_F(MainWindowLayout, TitleBarOffersMinimiseAndCloseButNotMaximise) {
  const Qt::WindowFlags flags = form.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowFullscreenButtonHint));
}

TEST_F(MainWindowLayout, EveryControlHasItsPlaceCaptionAndFont) {
  for (const Expected& expected : kControls) {
    SCOPED_TRACE(expected.name);
    QWidget* widget = Control(expected.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget(), form.centralWidget());
    EXPECT_EQ(widget->geometry(),
              QRect(expected.left, expected.top, expected.width, expected.height));
    EXPECT_EQ(Caption(widget), QString::fromLatin1(expected.caption));

    const QFont font = widget->font();
    EXPECT_DOUBLE_EQ(font.pointSizeF(), expected.points);
    EXPECT_EQ(font.bold(), expected.bold);
    EXPECT_FALSE(font.italic());
    EXPECT_FALSE(font.underline());
    EXPECT_FALSE(font.strikeOut());
    // What the font system actually picked: the metric-compatible substitute.
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(font).bold(), expected.bold);
  }
}

TEST_F(MainWindowLayout, FontsHaveTheirDesignedPixelSizesAtTheScreensDotsPerInch) {
  // A point is 1/72 inch: at 96 dpi 13.5 pt is 18 px, 12 pt 16 px, 9.75 pt 13 px,
  // 18 pt 24 px and 8.25 pt 11 px.
  const struct {
    const char* control;
    double points;
  } kSizes[] = {{"play", 13.5}, {"pause", 12}, {"eject", 9.75}, {"timeWindow", 18},
                {"Bookmark", 8.25}};
  const int dpi = form.logicalDpiY();
  for (const auto& size : kSizes) {
    EXPECT_EQ(QFontInfo(Control(size.control)->font()).pixelSize(),
              qRound(size.points * dpi / 72.0))
        << size.control << " at " << dpi << " dpi";
  }
}

TEST_F(MainWindowLayout, AtStartEveryButtonAndTheTimeDisplayAreDisabledAndTheDisplaysEmpty) {
  for (const Expected& expected : kControls) {
    SCOPED_TRACE(expected.name);
    QWidget* widget = Control(expected.name);
    const bool isLabel = qobject_cast<QLabel*>(widget) != nullptr;
    EXPECT_EQ(widget->isEnabled(), isLabel);
  }
  EXPECT_TRUE(Caption(Control("timeWindow")).isEmpty());
  EXPECT_TRUE(Caption(Control("totalplay")).isEmpty());
  EXPECT_TRUE(Caption(Control("tracktime")).isEmpty());

  auto* timer = form.findChild<QTimer*>("Timer1");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 1000);
  EXPECT_FALSE(timer->isActive());

  // A click on a disabled button runs nothing.
  qobject_cast<QPushButton*>(Control("play"))->click();
  qobject_cast<QPushButton*>(Control("Bookmark"))->click();
  EXPECT_TRUE(world.device.sent.empty());
}

TEST_F(MainWindowLayout, TabOrderFollowsTheTable) {
  std::vector<std::string> order;
  QWidget* first = Control("timeWindow");
  QWidget* widget = first;
  do {
    const std::string name = widget->objectName().toStdString();
    for (const Expected& expected : kControls) {
      if (name == expected.name) order.push_back(name);
    }
    widget = widget->nextInFocusChain();
  } while (widget != first && order.size() < 20);
  EXPECT_THAT(order, ElementsAre("timeWindow", "play", "pause", "stopbtn", "btrack", "ftrack",
                                 "rew", "ff", "eject", "totalplay", "tracktime", "Bookmark"));
  // The status lines have no tab stop; neither has the time display.
  EXPECT_EQ(Control("totalplay")->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(Control("tracktime")->focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindowLayout, EveryButtonIsNamedInWordsFromTheOneTable) {
  form.Load();  // which publishes the view the names are set from
  std::set<lyrabox::Control> named;
  std::set<std::string> names;
  for (const layout::AccessibleText& text : layout::kAccessibleTexts) {
    SCOPED_TRACE(text.name);
    named.insert(text.control);
    names.insert(text.name);
    EXPECT_TRUE(QRegularExpression("^[A-Z][a-z]+( ([a-z]+|&|[A-Z][a-z]+))*$")
                    .match(QString(text.name))
                    .hasMatch());
    QWidget* button = form.ControlWidget(text.control);
    EXPECT_EQ(button->accessibleName().toStdString(), text.name);
    EXPECT_EQ(button->accessibleDescription().toStdString(),
              layout::AccessibleDescription(text, std::chrono::seconds(5)));
    EXPECT_FALSE(button->accessibleDescription().isEmpty());
  }
  for (const layout::ControlLayout& control : layout::kControls) {
    EXPECT_EQ(named.count(control.control), control.kind == layout::Kind::Button ? 1u : 0u)
        << ControlName(control.control);
  }
  EXPECT_EQ(names.size(), layout::kAccessibleTexts.size());
  // The step is said in words wherever the description gives it.
  EXPECT_EQ(layout::AccessibleDescription(layout::kAccessibleTexts[6], std::chrono::seconds(1)),
            "Moves forward 1 second");
}

TEST_F(MainWindowLayout, TimeDisplayIsReadOnlyNeverFocusedAndGreyOnBlack) {
  auto* display = qobject_cast<QLineEdit*>(Control("timeWindow"));
  ASSERT_NE(display, nullptr);
  EXPECT_TRUE(display->isReadOnly());
  EXPECT_EQ(display->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(display->contextMenuPolicy(), Qt::NoContextMenu);
  // It stays disabled for the whole run, so the disabled colours are the ones seen.
  for (auto group : {QPalette::Disabled, QPalette::Active, QPalette::Inactive}) {
    EXPECT_EQ(display->palette().color(group, QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(display->palette().color(group, QPalette::Text), QColor(0xC0, 0xC0, 0xC0));
  }

  // Even enabled it cannot be typed into.
  display->setEnabled(true);
  form.show();
  display->setFocus();
  EXPECT_FALSE(display->hasFocus());
  form.hide();
}

TEST_F(MainWindowLayout, OnlyTheMenuDefinesAccessKeysAndTheBookmarkCaptionDrawsOneAmpersand) {
  auto* bookmark = qobject_cast<QPushButton*>(Control("Bookmark"));
  // Qt's caption form: a doubled ampersand draws one and makes no access key.
  EXPECT_EQ(bookmark->text(), "Stop && Bookmark");
  for (QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
    SCOPED_TRACE(button->objectName().toStdString());
    EXPECT_TRUE(button->shortcut().isEmpty());
    EXPECT_TRUE(QKeySequence::mnemonic(button->text()).isEmpty());
  }
  // Alt+O opens the menu, F and A choose its items; no item has a shortcut key.
  std::vector<std::string> keys;
  for (QAction* action : form.findChildren<QAction*>()) {
    if (action->text().isEmpty()) continue;
    EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
    keys.push_back(QKeySequence::mnemonic(action->text()).toString().toStdString());
  }
  EXPECT_THAT(keys, ::testing::UnorderedElementsAre("Alt+O", "Alt+F", "Alt+A"));
  // Drawn as they always were: a letter is underlined only while Alt is held.
  UseWindowStyle();
  EXPECT_EQ(form.menuBar()->style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr,
                                               form.menuBar()),
            0);
}

TEST_F(MainWindowLayout, OptionsMenuHoldsFastForwardSpeedThenAbout) {
  const QList<QAction*> titles = form.menuBar()->actions();
  ASSERT_EQ(titles.size(), 1);
  EXPECT_EQ(titles[0]->text(), "&Options");
  QMenu* options = titles[0]->menu();
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(options->objectName(), "options");
  ASSERT_EQ(options->actions().size(), 2);
  for (QAction* item : options->actions()) {
    EXPECT_FALSE(item->isSeparator());
    EXPECT_TRUE(item->isEnabled());
  }
  QAction* item = options->actions()[0];
  EXPECT_EQ(item->objectName(), "ffspeed");
  EXPECT_EQ(item->text(), "&Fast forward speed");
  QAction* about = options->actions()[1];
  EXPECT_EQ(about->text(), "&About");

  // Choosing the title itself runs nothing.
  titles[0]->trigger();
  EXPECT_TRUE(world.device.sent.empty());
  EXPECT_TRUE(world.boxes.shown.empty());

  // About tells the version, the licence and where the names come from.
  about->trigger();
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  for (const char* part : {"Lyrabox " LYRABOX_VERSION, "GPL-3.0-or-later", "MusicBrainz"}) {
    EXPECT_THAT(world.boxes.shown[0].text, ::testing::HasSubstr(part));
  }
}

TEST_F(MainWindowLayout, ShownCentredOnTheScreen) {
  form.ShowCentred();
  ASSERT_TRUE(form.isVisible());
  const QRect area = form.screen()->availableGeometry();
  const QRect window = form.frameGeometry();
  // Equal margins left and right, above and below, give or take the odd pixel.
  EXPECT_LE(std::abs((window.left() - area.left()) - (area.right() - window.right())), 1);
  EXPECT_LE(std::abs((window.top() - area.top()) - (area.bottom() - window.bottom())), 1);
  form.hide();
}

TEST_F(MainWindowLayout, WindowIconIsTheDiscPicture) {
  const QIcon icon = form.windowIcon();
  ASSERT_FALSE(icon.isNull());
  EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
  EXPECT_EQ(icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32),
            LyraboxIconImage());
}

}  // namespace
}  // namespace lyrabox::testing
