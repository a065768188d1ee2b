// The rules of the window, kept once in the controller that every face forwards its
// events to: one event at a time, a disabled control ignores its click, the close
// prompt then the unload then nothing more, the end of the session, and the view the
// media controls are shown.
#include "engine/form1_controller.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/fakes/fakes.h"

namespace lyrabox::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kClosePrompt[] = "Bookmark & Save before Closing ?";

// A window over a playing disc after its first poll, with the records cleared.
class Form1ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InsertPlayingDisc(world);
    controller.Load();
    controller.Tick();
    ASSERT_TRUE(controller.View().playing);
    world.journal.clear();
    world.device.ClearLog();
  }

  FakeWorld world;
  Form1Controller controller{world.platform, world.window};
};

TEST_F(Form1ControllerTest, EveryEventWhileABoxIsOpenIsDropped) {
  bool mayClose = true;
  world.boxes.whileOpen = [&] {
    const std::size_t sent = world.device.sent.size();
    controller.Tick();
    controller.Click(Control::pause);
    controller.ChooseFastForwardSpeed();
    mayClose = controller.CloseRequest();
    EXPECT_EQ(world.device.sent.size(), sent) << "an event ran inside the box";
  };
  controller.Click(Control::stopbtn);  // "Bookmark this spot now ?"

  EXPECT_FALSE(mayClose);
  EXPECT_THAT(world.boxes.Questions(), ElementsAre("Bookmark this spot now ?"));
  // Once the box is answered, the next tick polls again.
  const std::size_t before = world.device.sent.size();
  controller.Tick();
  EXPECT_GT(world.device.sent.size(), before);
}

TEST(Form1ControllerClicks, ADisabledControlOrOneThatIsNoButtonRunsNothing) {
  FakeWorld world;
  InsertPlayingDisc(world);
  Form1Controller controller(world.platform, world.window);
  controller.Load();
  world.device.ClearLog();
  // Before the first poll has found the disc every button is disabled.
  for (int c = 0; c <= static_cast<int>(Control::Bookmark); ++c) {
    controller.Click(static_cast<Control>(c));
  }
  EXPECT_THAT(world.device.sent, IsEmpty());
  EXPECT_THAT(world.boxes.shown, IsEmpty());

  controller.Tick();
  world.device.ClearLog();
  controller.Click(Control::timeWindow);
  controller.Click(Control::totalplay);
  EXPECT_THAT(world.device.sent, IsEmpty());
}

// What each click and the menu item run, compared with the operation run directly.
TEST(Form1ControllerClicks, EachButtonAndTheMenuItemRunItsOwnOperation) {
  struct Wiring {
    Control control;  // Control::timeWindow stands for the menu item
    void (Player::*operation)();
  };
  const Wiring wirings[] = {
      {Control::play, &Player::Play},         {Control::pause, &Player::Pause},
      {Control::stopbtn, &Player::Stop},      {Control::eject, &Player::Eject},
      {Control::ff, &Player::FastForward},    {Control::rew, &Player::Rewind},
      {Control::ftrack, &Player::NextTrack},  {Control::btrack, &Player::PreviousTrack},
      {Control::Bookmark, &Player::StopAndBookmark},
      {Control::timeWindow, &Player::FastForwardStep},
  };
  // What reached the world: device commands, boxes, program starts, file contents.
  auto effects = [](const std::function<void(Form1Controller&)>& event) {
    FakeWorld world;
    InsertPlayingDisc(world);
    world.boxes.answers = {true, true};
    world.boxes.inputs = {"12"};
    Form1Controller controller(world.platform, world.window);
    controller.Load();
    controller.Tick();
    world.journal.clear();
    event(controller);
    std::vector<std::string> seen = world.journal;
    for (const std::string& file : world.disks.Files()) {
      seen.push_back("file " + file + "=" + world.disks.Content(file));
    }
    return seen;
  };
  std::vector<std::vector<std::string>> direct;
  for (const Wiring& wiring : wirings) {
    direct.push_back(effects([&](Form1Controller& c) { (c.player().*wiring.operation)(); }));
  }
  for (std::size_t i = 0; i < std::size(wirings); ++i) {
    SCOPED_TRACE(ControlName(wirings[i].control));
    const Control control = wirings[i].control;
    const std::vector<std::string> seen = effects([control](Form1Controller& c) {
      if (control == Control::timeWindow) {
        c.ChooseFastForwardSpeed();
      } else {
        c.Click(control);
      }
    });
    EXPECT_EQ(seen, direct[i]);
    // The scene tells the operations apart, so a swapped wiring cannot pass.
    for (std::size_t other = 0; other < std::size(wirings); ++other) {
      if (other == i) continue;
      EXPECT_NE(seen, direct[other]) << ControlName(wirings[other].control);
    }
  }
}

// A close request, or the end of a session that may ask: the close prompt while
// playing, then the unload, then nothing more.
TEST(Form1ControllerClose, PromptThenUnloadThenNothingMore) {
  struct Case {
    const char* what;
    std::function<void(Form1Controller&)> close;
    std::string mode;
    std::deque<bool> answers;
    std::vector<std::string> journal;  // the unload's two commands follow
    std::string saved;                 // the bookmark file afterwards
  };
  const std::string stop = "mci stop cd wait", closeAll = "mci close all";
  const Case cases[] = {
      {"close, No", [](Form1Controller& c) { EXPECT_TRUE(c.CloseRequest()); }, "playing",
       {false}, {std::string("question ") + kClosePrompt + " -> no"}, ""},
      {"close, Yes", [](Form1Controller& c) { c.CloseRequest(); }, "playing", {true},
       {std::string("question ") + kClosePrompt + " -> yes", "mci status cd position"},
       "2\r\n3\r\n27\r\n"},
      {"close while stopped", [](Form1Controller& c) { c.CloseRequest(); }, "stopped", {}, {}, ""},
      {"session end that may ask", [](Form1Controller& c) { c.SessionEnd(true); }, "playing",
       {false}, {std::string("question ") + kClosePrompt + " -> no"}, ""},
      {"session end that may not ask", [](Form1Controller& c) { c.SessionEnd(false); },
       "playing", {true}, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWorld world;
    InsertPlayingDisc(world);
    world.device.Set("status cd mode", c.mode);
    Form1Controller controller(world.platform, world.window);
    controller.Load();
    controller.Tick();
    world.journal.clear();
    world.boxes.answers = c.answers;

    c.close(controller);
    std::vector<std::string> expected = c.journal;
    expected.insert(expected.end(), {stop, closeAll, "timer off"});
    EXPECT_EQ(world.journal, expected);
    EXPECT_EQ(world.disks.Content("c:\\lyrabox\\A1B2C3D"), c.saved);

    // Nothing more: a tick already on its way, a click, a second request.
    world.journal.clear();
    controller.Tick();
    controller.Click(Control::play);
    EXPECT_TRUE(controller.CloseRequest());
    controller.SessionEnd(true);
    EXPECT_THAT(world.journal, IsEmpty());
  }
}

// The session ends while a box of an event is open: the prompt cannot be asked, the
// disc is stopped and the device closed at once, and no box appears after.
TEST_F(Form1ControllerTest, ASessionEndInsideABoxUnloadsAtOnceAndShowsNoMoreBoxes) {
  world.device.Fail("stop cd wait", 276);
  world.boxes.whileOpen = [this] { controller.SessionEnd(true); };

  controller.Click(Control::stopbtn);  // "Bookmark this spot now ?" No: stop, seek, poll

  ASSERT_GE(world.journal.size(), 4u);
  EXPECT_THAT(std::vector<std::string>(world.journal.begin(), world.journal.begin() + 4),
              ElementsAre("question Bookmark this spot now ? -> no", "mci stop cd wait",
                          "mci close all", "timer off"));
  EXPECT_THAT(world.boxes.Questions(), ElementsAre("Bookmark this spot now ?"));
  EXPECT_THAT(world.boxes.Messages(), IsEmpty());  // the refused stops said nothing
  EXPECT_TRUE(controller.Unloaded());
  EXPECT_TRUE(controller.CloseRequest());
}

TEST_F(Form1ControllerTest, ARunTimeErrorInAnEventIsShownAndEndsTheProgram) {
  world.device.Set("status cd position", "xx:yy:zz:00");  // not a number: type mismatch

  EXPECT_THROW(controller.Tick(), ProgramEnded);

  ASSERT_EQ(world.boxes.Messages().size(), 1u);
  EXPECT_NE(world.boxes.Messages()[0].find("Type mismatch"), std::string::npos);
  EXPECT_EQ(world.process.exitStatus, platform::ExitStatus::Failure);
}

// --- The view the media controls are shown ------------------------------------------

TEST_F(Form1ControllerTest, TheViewTellsWhatThePollRead) {
  std::vector<PlayerView> published;
  const std::size_t key =
      controller.Observe([&published](const PlayerView& view) { published.push_back(view); });
  controller.Tick();
  ASSERT_EQ(published.size(), 1u);
  const PlayerView& view = published[0];
  EXPECT_EQ(view.mode, PlayMode::Playing);
  EXPECT_TRUE(view.playing);
  EXPECT_EQ(view.discId, "A1B2C3D");
  EXPECT_EQ(view.track, 2);
  EXPECT_EQ(view.trackLength, Frames((12 * 60 + 30) * 75 + 40));  // "12:30:40"
  EXPECT_EQ(view.position, std::chrono::seconds(3 * 60 + 30));
  EXPECT_EQ(view.fastForwardStep, std::chrono::seconds(5));
  EXPECT_TRUE(view.Enabled(Control::play) && view.Enabled(Control::eject));
  EXPECT_FALSE(view.Enabled(Control::timeWindow));

  // The mode is parsed where the poll reads it; a refused query leaves it as it was.
  const std::pair<const char*, PlayMode> modes[] = {
      {"paused", PlayMode::Paused},   {"stopped", PlayMode::Stopped},
      {"playing", PlayMode::Playing}, {"seeking", PlayMode::Stopped}};
  for (const auto& [reply, mode] : modes) {
    world.device.Set("status cd mode", reply);
    controller.Tick();
    EXPECT_EQ(controller.View().mode, mode) << reply;
  }
  world.device.Fail("status cd mode", 276);
  controller.Tick();
  EXPECT_EQ(controller.View().mode, PlayMode::Stopped);

  // The disc id is read once for each scanned disc, and anew for the next one.
  world.disks.SetSerial("d:\\", 0xBEEF);
  controller.Tick();
  EXPECT_EQ(controller.View().discId, "A1B2C3D");
  world.device.Set("status cd media present", "false");
  controller.Tick();
  EXPECT_EQ(controller.View().discId, "");
  EXPECT_EQ(controller.View().track, 0);
  EXPECT_FALSE(controller.View().Enabled(Control::play));
  world.device.Set("status cd media present", "true");
  controller.Tick();
  EXPECT_EQ(controller.View().discId, "BEEF");

  // Dropped events publish nothing; after StopObserving nothing is published.
  const std::size_t count = published.size();
  world.boxes.whileOpen = [this] { controller.Tick(); };
  controller.Click(Control::stopbtn);
  EXPECT_EQ(published.size(), count + 1);
  controller.StopObserving(key);
  controller.Tick();
  EXPECT_EQ(published.size(), count + 1);
}

}  // namespace
}  // namespace lyrabox::testing
