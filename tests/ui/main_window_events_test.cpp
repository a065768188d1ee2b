// SPDX-License-Identifier: GPL-3.0-or-later
// The main window drawn with Qt as a face of its controller: its load, its timer, its
// buttons, its menu item, its close box and the end of the session reach the
// controller, and what the logic writes reaches its widgets. The rules themselves are
// the controller's (tests/engine/player_controller_test.cpp).
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSessionManager>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/fakes.h"
#include "ui/main_window.h"
#include "ui/qt_boxes.h"

namespace lyrabox::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kClosePrompt[] = "Bookmark & Save before Closing ?";

QTimer* PollTimer(MainWindow& form) { return form.findChild<QTimer*>("Timer1"); }

// One tick of the poll timer (Timer1) the way the event loop delivers it: through its
// timeout signal.
void FirePollTimer(MainWindow& form) {
  ASSERT_TRUE(QMetaObject::invokeMethod(PollTimer(form), "timeout", Qt::DirectConnection));
}

TEST(MainWindowLoad, RunsTheLoadSequenceAndStartsThePollTimerWithoutShowingTheWindow) {
  FakeWorld world;
  MainWindow form(world.platform);

  form.Load();

  // The checked sends carry the window's own handle as their callback window.
  EXPECT_EQ(world.device.sent[0].callback, static_cast<platform::WindowHandle>(form.winId()));
  EXPECT_TRUE(PollTimer(form)->isActive());
  EXPECT_EQ(PollTimer(form)->interval(), 1000);
  EXPECT_FALSE(form.isVisible());  // showing is the caller's next step
}

// A second instance, and a device that cannot be opened.
TEST(MainWindowLoad, AStartThatEndsTheProgramNeverShowsTheWindow) {
  for (bool secondInstance : {true, false}) {
    FakeWorld world;
    world.process.otherInstance = secondInstance;
    world.device.Fail("open cdaudio alias cd wait shareable", 263);
    MainWindow form(world.platform);
    EXPECT_THROW(form.Load(), ProgramEnded);
    EXPECT_FALSE(PollTimer(form)->isActive());
    EXPECT_FALSE(form.isVisible());
  }
}

// What the screen reader's end-to-end test does not press: Enter presses the focused
// button as Space does, and Alt+O opens the menu. (Tab and Space are checked there.)
TEST(MainWindowKeyboard, EnterPressesTheFocusedButtonAndAltOOpensTheMenu) {
  FakeWorld world;
  InsertAudioDisc(world);
  MainWindow form(world.platform);
  form.Load();
  FirePollTimer(form);
  form.show();
  QApplication::setActiveWindow(&form);
  const auto press = [&form](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : &form, key, modifiers);
  };

  form.ControlWidget(Control::play)->setFocus();
  world.device.ClearLog();
  press(Qt::Key_Return);
  const std::vector<std::string> commands = world.device.Commands();
  EXPECT_NE(std::find(commands.begin(), commands.end(), "play cd"), commands.end());

  press(Qt::Key_O, Qt::AltModifier);
  QMenu* options = form.findChild<QMenu*>("options");
  EXPECT_TRUE(options->isVisible());
  QTest::keyClick(options, Qt::Key_Escape);  // and the keys are let go
  EXPECT_FALSE(options->isVisible());
  form.hide();
}

// The main window is the logic's window: whatever the poll writes must reach the very
// widgets, exactly as a recorder of the same poll sees it.
TEST(MainWindowPoll, ATickShowsWhatThePollWritesOnTheControls) {
  FakeWorld world;
  InsertPlayingDisc(world);
  MainWindow form(world.platform);
  form.Load();

  FakeWorld twin;
  InsertPlayingDisc(twin);
  Player reference(twin.platform, twin.window);
  reference.TimerTick();

  FirePollTimer(form);

  ASSERT_GT(world.device.sent.size(), 2u);
  const std::vector<std::string> sent = world.device.Commands();
  const std::vector<std::string> polled(sent.begin() + 2, sent.end());
  EXPECT_EQ(polled, twin.device.Commands());

  for (Control control : {Control::play, Control::pause, Control::stopbtn, Control::btrack,
                          Control::ftrack, Control::rew, Control::ff, Control::eject,
                          Control::Bookmark}) {
    SCOPED_TRACE(ControlName(control));
    EXPECT_TRUE(twin.window.IsEnabled(control));
    EXPECT_TRUE(form.ControlWidget(control)->isEnabled());
  }
  EXPECT_FALSE(form.ControlWidget(Control::timeWindow)->isEnabled());
  auto text = [&form](Control control) -> std::string {
    QWidget* widget = form.ControlWidget(control);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
    return qobject_cast<QLabel*>(widget)->text().toStdString();
  };
  for (Control control : {Control::timeWindow, Control::totalplay, Control::tracktime}) {
    SCOPED_TRACE(ControlName(control));
    EXPECT_FALSE(twin.window.Text(control).empty());
    EXPECT_EQ(text(control), twin.window.Text(control));
  }

  // The menu item reaches the controller too: it asks for the new step.
  form.findChild<QAction*>("ffspeed")->trigger();
  EXPECT_THAT(world.boxes.shown.back().text, ::testing::HasSubstr("speed"));
}

// A box of Qt runs a nested event loop: the timer's tick and a button pressed while it
// is open reach the controller there, which drops them.
TEST(MainWindowEvents, ATickOrAClickWhileABoxIsOpenIsDropped) {
  FakeWorld world;
  InsertPlayingDisc(world);
  QtBoxes boxes;
  platform::Platform platform{world.device, world.disks, world.process, boxes};
  MainWindow form(platform);
  form.Load();
  FirePollTimer(form);

  std::size_t sentWhileOpen = 0;
  bool sawBox = false;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    sawBox = box != nullptr;
    sentWhileOpen = world.device.sent.size();
    FirePollTimer(form);
    form.findChild<QPushButton*>("pause")->click();
    EXPECT_EQ(world.device.sent.size(), sentWhileOpen) << "an event ran inside the box";
    if (box != nullptr) box->close();  // "Bookmark this spot now ?" answered No
  });
  form.findChild<QPushButton*>("stopbtn")->click();

  ASSERT_TRUE(sawBox);
  for (const auto& sent : world.device.sent) EXPECT_NE(sent.command, "pause cd");
}

// The time display's tooltip names the current track from the view. A name is text,
// whatever it holds, wherever it comes from: nested tables and a huge picture are not
// laid out as markup.
TEST(MainWindowNames, TheTooltipNamesTheTrackAndShowsMarkupAsText) {
  FakeWorld world;
  InsertPlayingDisc(world);  // playing track 2
  DiscText markup;  // nested tables, as many as a field holds, and a huge picture
  markup.tracks[2] = {CleanField(QString("<table><tr><td>").repeated(2000).toStdString()),
                      "<img src=x width=30000 height=30000>"};
  world.device.disc = platform::DiscSnapshot{1, {{Frames(150), true}}, Frames(80000), markup};
  MainWindow form(world.platform);
  form.Load();
  FirePollTimer(form);

  // As a tooltip shows it: rich text when Qt takes it for markup.
  const QString tooltip = form.ControlWidget(Control::timeWindow)->toolTip();
  QTextDocument shown;
  if (Qt::mightBeRichText(tooltip)) {
    shown.setHtml(tooltip);
  } else {
    shown.setPlainText(tooltip);
  }
  EXPECT_EQ(shown.toPlainText().toStdString(),
            "Track 2: " + markup.tracks[2].title + ", " + markup.tracks[2].performer);
}

// --- Closing ----------------------------------------------------------------------

// The close box: the close prompt, then the unload; the window goes and the timer
// stops. The end of the session in its two steps: the session manager's request to
// save (the query) leaves the window and the disc as they are (the session manager
// here allows no question, so none is asked); the application's quit with the window
// still open (the end) unloads without a question.
TEST(MainWindowClose, TheCloseBoxAndTheSessionsTwoStepsReachTheController) {
  const std::string asked = std::string("question ") + kClosePrompt + " -> no";
  const struct {
    const char* what;
    bool query, quit;
    std::vector<std::string> journal;
  } cases[] = {
      {"close box", false, false, {asked, "mci stop cd wait", "mci close all"}},
      {"session query", true, false, {}},
      {"session end", false, true, {"mci stop cd wait", "mci close all"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWorld world;
    InsertPlayingDisc(world);
    MainWindow form(world.platform);
    form.Load();
    FirePollTimer(form);
    form.show();
    world.journal.clear();
    if (c.query) {
      auto* manager = qApp->findChild<QSessionManager*>();
      ASSERT_NE(manager, nullptr);
      emit qApp->commitDataRequest(*manager);
    } else if (c.quit) {
      ASSERT_TRUE(QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection));
    } else {
      EXPECT_TRUE(form.close());
    }
    EXPECT_EQ(world.journal, c.journal);
    EXPECT_EQ(PollTimer(form)->isActive(), c.query);
    if (!c.quit) {  // a quit ends the program anyway
      EXPECT_EQ(form.isVisible(), c.query);
    }
  }
}

}  // namespace
}  // namespace lyrabox::testing
