// What Form1's events run, through the fakes: the load event, the timer's poll, the
// buttons and the menu item, and the close request with its prompt and unload.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/player.h"
#include "tests/fakes/fakes.h"
#include "ui/form1.h"
#include "ui/qt_boxes.h"

namespace lyrabox::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kClosePrompt[] = "Bookmark & Save before Closing ?";

// An audio disc of three tracks in drive d:, positioned in track 2 and playing.
void InsertPlayingDisc(FakeWorld& world) {
  AudioDisc disc;
  disc.position = "02:03:30:00";
  disc.mode = "playing";
  disc.dataFolder = true;
  InsertAudioDisc(world, disc);
  world.device.On("status cd position wait", "905000");  // milliseconds, for the seeks
}

QTimer* Timer1(Form1& form) { return form.findChild<QTimer*>("Timer1"); }

// One tick of Timer1 the way the event loop delivers it: through its timeout signal.
void FireTimer1(Form1& form) {
  ASSERT_TRUE(QMetaObject::invokeMethod(Timer1(form), "timeout", Qt::DirectConnection));
}

TEST(Form1Load, RunsTheLoadSequenceAndStartsTimer1WithoutShowingTheWindow) {
  FakeWorld world;
  Form1 form(world.platform);

  form.Load();

  EXPECT_THAT(world.device.Commands(),
              ElementsAre("open cdaudio alias cd wait shareable", "set cd time format tmsf wait"));
  // The checked sends carry the window's own handle as their callback window.
  EXPECT_EQ(world.device.sent[0].callback, static_cast<platform::WindowHandle>(form.winId()));
  EXPECT_TRUE(Timer1(form)->isActive());
  EXPECT_EQ(Timer1(form)->interval(), 1000);
  EXPECT_FALSE(form.isVisible());  // showing is the caller's next step
}

TEST(Form1Load, AStartThatEndsTheProgramNeverShowsTheWindow) {
  {
    FakeWorld world;
    world.process.otherInstance = true;
    Form1 form(world.platform);
    EXPECT_THROW(form.Load(), ProgramEnded);
    EXPECT_THAT(world.device.sent, IsEmpty());
    EXPECT_THAT(world.boxes.shown, IsEmpty());
    EXPECT_FALSE(Timer1(form)->isActive());
    EXPECT_FALSE(form.isVisible());
  }
  {
    FakeWorld world;
    world.device.Fail("open cdaudio alias cd wait shareable", 263);
    Form1 form(world.platform);
    EXPECT_THROW(form.Load(), ProgramEnded);
    EXPECT_THAT(world.boxes.Messages(),
                ElementsAre("The specified device is not open or is not recognized by MCI."));
    EXPECT_FALSE(Timer1(form)->isActive());
    EXPECT_FALSE(form.isVisible());
  }
}

// Form1 is the logic's window: whatever the poll writes must reach the very widgets,
// exactly as a recorder of the same poll sees it.
TEST(Form1Poll, ATickShowsWhatThePollWritesOnTheControls) {
  FakeWorld world;
  InsertPlayingDisc(world);
  Form1 form(world.platform);
  form.Load();

  FakeWorld twin;
  InsertPlayingDisc(twin);
  Player reference(twin.platform, twin.window);
  reference.TimerTick();

  FireTimer1(form);

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
}

// A box runs a nested event loop; a tick that comes while it is open must not start
// a second poll in the middle of the first.
TEST(Form1Poll, NoTickRunsWhileABoxIsOpen) {
  FakeWorld world;
  InsertPlayingDisc(world);
  world.device.Fail("seek cd to 1", 263);  // the first scan ends with an error box
  QtBoxes boxes;
  platform::Platform platform{world.device, world.disks, world.process, boxes};
  Form1 form(platform);
  form.Load();

  std::size_t sentWhenBoxOpened = 0;
  std::size_t sentAfterNestedTick = 0;
  bool sawBox = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    sawBox = box != nullptr;
    sentWhenBoxOpened = world.device.sent.size();
    FireTimer1(form);
    form.OnTimer1Tick();
    sentAfterNestedTick = world.device.sent.size();
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  FireTimer1(form);

  ASSERT_TRUE(sawBox);
  ASSERT_GT(sentWhenBoxOpened, 0u);
  EXPECT_EQ(world.device.sent[sentWhenBoxOpened - 1].command, "seek cd to 1");
  EXPECT_EQ(sentAfterNestedTick, sentWhenBoxOpened);

  // Once the box is answered, the next tick polls again.
  const std::size_t before = world.device.sent.size();
  form.OnTimer1Tick();
  EXPECT_GT(world.device.sent.size(), before);
}

// A button pressed while another event's box is open is dropped, not run in the
// middle of that event.
TEST(Form1Events, AnEventWhileABoxIsOpenIsDropped) {
  FakeWorld world;
  InsertPlayingDisc(world);
  QtBoxes boxes;
  platform::Platform platform{world.device, world.disks, world.process, boxes};
  Form1 form(platform);
  form.Load();
  form.OnTimer1Tick();

  std::size_t sentWhileOpen = 0;
  bool sawBox = false;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    sawBox = box != nullptr;
    sentWhileOpen = world.device.sent.size();
    form.findChild<QPushButton*>("pause")->click();
    EXPECT_EQ(world.device.sent.size(), sentWhileOpen) << "the pause ran inside the box";
    if (box != nullptr) box->close();  // "Bookmark this spot now ?" answered No
  });
  form.findChild<QPushButton*>("stopbtn")->click();

  ASSERT_TRUE(sawBox);
  for (const auto& sent : world.device.sent) EXPECT_NE(sent.command, "pause cd");
}

TEST(Form1Poll, ARunTimeErrorInAnEventIsShownAndEndsTheProgram) {
  FakeWorld world;
  InsertPlayingDisc(world);
  world.device.Set("status cd position", "xx:yy:zz:00");  // not a number: type mismatch
  Form1 form(world.platform);
  form.Load();

  EXPECT_THROW(form.OnTimer1Tick(), ProgramEnded);
  ASSERT_EQ(world.boxes.Messages().size(), 1u);
  EXPECT_NE(world.boxes.Messages()[0].find("Type mismatch"), std::string::npos);
  EXPECT_EQ(world.journal.back(), "end");
}

// --- Closing ----------------------------------------------------------------------

class Form1Close : public ::testing::Test {
 protected:
  FakeWorld world;
  Form1 form{world.platform};

  void SetUp() override {
    InsertPlayingDisc(world);
    form.Load();
    form.OnTimer1Tick();
    ASSERT_TRUE(form.player().state.Playing);
    form.show();
    world.journal.clear();
    world.device.ClearLog();
  }
};

TEST_F(Form1Close, WhilePlayingAsksThenUnloadsAndTheWindowGoes) {
  world.boxes.answers = {false};

  EXPECT_TRUE(form.close());

  EXPECT_THAT(world.journal, ElementsAre(std::string("question ") + kClosePrompt + " -> no",
                                         "mci stop cd wait", "mci close all"));
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(Timer1(form)->isActive());
  EXPECT_FALSE(world.disks.Has("c:\\lyrabox\\A1B2C3D"));
}

TEST_F(Form1Close, AYesSavesTheBookmarkBeforeTheDiscStops) {
  world.boxes.answers = {true};

  form.close();

  ASSERT_GE(world.journal.size(), 3u);
  EXPECT_EQ(world.journal.front(), std::string("question ") + kClosePrompt + " -> yes");
  EXPECT_THAT(std::vector<std::string>(world.journal.end() - 2, world.journal.end()),
              ElementsAre("mci stop cd wait", "mci close all"));
  EXPECT_EQ(world.disks.Content("c:\\lyrabox\\A1B2C3D"), "2\r\n3\r\n27\r\n");
}

TEST_F(Form1Close, WhenStoppedClosesWithoutAskingAndOnlyOnce) {
  world.device.Set("status cd mode", "stopped");
  form.OnTimer1Tick();
  ASSERT_FALSE(form.player().state.Playing);
  world.journal.clear();

  form.close();
  form.close();  // a second request after the unload runs nothing again
  FireTimer1(form);  // nor does a tick that was already on its way

  EXPECT_THAT(world.journal, ElementsAre("mci stop cd wait", "mci close all"));
  EXPECT_THAT(world.boxes.shown, IsEmpty());
}

// --- The buttons and the menu item ------------------------------------------------

struct Wiring {
  const char* source;  // a button's name, or the menu item "ffspeed"
  void (Player::*operation)();
};
const Wiring kWiring[] = {
    {"play", &Player::Play},         {"pause", &Player::Pause},
    {"stopbtn", &Player::Stop},      {"eject", &Player::Eject},
    {"ff", &Player::FastForward},    {"rew", &Player::Rewind},
    {"ftrack", &Player::NextTrack},  {"btrack", &Player::PreviousTrack},
    {"Bookmark", &Player::StopAndBookmark}, {"ffspeed", &Player::FastForwardStep},
};

// A window over a playing disc after its first poll, with the answers a user might
// give ready in the boxes.
struct Session {
  FakeWorld world;
  std::unique_ptr<Form1> form;

  Session() {
    InsertPlayingDisc(world);
    world.boxes.answers = {true, true};
    world.boxes.inputs = {"12"};
    form = std::make_unique<Form1>(world.platform);
    form->Load();
    form->OnTimer1Tick();
    world.journal.clear();
  }

  // What reached the world: device commands, boxes, program starts, file contents.
  std::vector<std::string> Effects() const {
    std::vector<std::string> effects = world.journal;
    for (const std::string& file : world.disks.Files()) {
      effects.push_back("file " + file + "=" + world.disks.Content(file));
    }
    return effects;
  }
};

TEST(Form1Wiring, EachButtonAndTheMenuItemRunItsOwnOperation) {
  // What each operation does when run directly, for comparison.
  std::vector<std::vector<std::string>> direct;
  for (const Wiring& wiring : kWiring) {
    Session session;
    (session.form->player().*wiring.operation)();
    direct.push_back(session.Effects());
  }

  for (std::size_t i = 0; i < std::size(kWiring); ++i) {
    SCOPED_TRACE(kWiring[i].source);
    Session session;
    if (std::string(kWiring[i].source) == "ffspeed") {
      session.form->findChild<QAction*>("ffspeed")->trigger();
    } else {
      auto* button = session.form->findChild<QPushButton*>(kWiring[i].source);
      ASSERT_TRUE(button->isEnabled());
      button->click();
    }
    const std::vector<std::string> effects = session.Effects();
    EXPECT_EQ(effects, direct[i]);
    // The scene tells the operations apart, so a swapped wiring cannot pass.
    for (std::size_t other = 0; other < std::size(kWiring); ++other) {
      if (other != i) {
        EXPECT_NE(effects, direct[other]) << "same as " << kWiring[other].source;
      }
    }
  }
}

}  // namespace
}  // namespace lyrabox::testing
