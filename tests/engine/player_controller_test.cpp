// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the window, kept once in the controller that every face forwards its
// events to: one event at a time, a disabled control ignores its click, the close
// prompt then the unload then nothing more, the end of the session, and the view the
// media controls are shown.
#include "engine/player_controller.h"

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

// A window over a disc in track 2 after its first poll, with the records cleared.
struct PolledWindow {
  explicit PolledWindow(const std::string& mode = "playing") {
    InsertPlayingDisc(world);
    world.device.Set("status cd mode", mode);
    controller.Load();
    controller.Tick();
    world.journal.clear();
    world.device.ClearLog();
  }
  FakeWorld world;
  PlayerController controller{world.platform, world.window};
};
class PlayerControllerTest : public ::testing::Test, protected PolledWindow {};

TEST_F(PlayerControllerTest, EveryEventWhileABoxIsOpenIsDropped) {
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

TEST_F(PlayerControllerTest, ADisabledControlOrOneThatIsNoButtonRunsNothing) {
  world.device.Set("status cd media present", "false");  // the disc is gone: all disabled
  controller.Tick();
  world.device.ClearLog();
  for (int c = 0; c <= static_cast<int>(Control::Bookmark); ++c) {
    controller.Click(static_cast<Control>(c));
  }
  EXPECT_THAT(world.device.sent, IsEmpty());
  EXPECT_THAT(world.boxes.shown, IsEmpty());
}

// Each click and the menu item run their own operation: what each one does first
// tells them apart.
TEST(PlayerControllerClicks, EachButtonAndTheMenuItemRunItsOwnOperation) {
  const std::pair<int, std::vector<std::string>> wirings[] = {  // -1: the menu item
      {-1, {"input Enter the new speed in seconds -> 12"}},
      {static_cast<int>(Control::play), {"mci play cd"}},
      {static_cast<int>(Control::pause), {"mci pause cd"}},
      {static_cast<int>(Control::stopbtn), {"question Bookmark this spot now ? -> yes"}},
      {static_cast<int>(Control::eject), {"mci set cd door open"}},
      {static_cast<int>(Control::ftrack), {"mci play cd from 3"}},
      {static_cast<int>(Control::btrack), {"mci play cd from 2"}},
      {static_cast<int>(Control::Bookmark), {"mci status cd position", "mci stop cd wait"}},
      {static_cast<int>(Control::ff),
       {"mci set cd time format milliseconds", "mci status cd position wait",
        "mci play cd from 910000"}},
      {static_cast<int>(Control::rew),
       {"mci set cd time format milliseconds", "mci status cd position wait",
        "mci play cd from 900000"}},
  };
  for (const auto& [control, first] : wirings) {
    SCOPED_TRACE(control);
    PolledWindow window;
    window.world.boxes.answers = {true};
    window.world.boxes.inputs = {"12"};
    if (control < 0) {
      window.controller.ChooseFastForwardSpeed();
    } else {
      window.controller.Click(static_cast<Control>(control));
    }
    const std::vector<std::string>& journal = window.world.journal;
    ASSERT_GE(journal.size(), first.size());
    EXPECT_EQ(std::vector<std::string>(journal.begin(), journal.begin() + first.size()), first);
  }
}

// A close request, or the end of a session with its query first: the close prompt
// while playing (Yes saves the bookmark, a save that fails says so and the close goes
// on), then the unload, then nothing more. The end without a query asks nothing.
TEST(PlayerControllerClose, PromptThenUnloadThenNothingMore) {
  struct Case {
    const char* what;
    std::function<void(PlayerController&)> close;
    std::string mode;
    std::deque<bool> answers;
    std::vector<std::string> journal;  // the unload's two commands follow
    std::string saved;                 // the bookmark file afterwards
    bool saveFails = false;
  };
  const std::string asked = std::string("question ") + kClosePrompt + " -> ";
  const Case cases[] = {
      {"close, No", [](PlayerController& c) { EXPECT_TRUE(c.CloseRequest()); }, "playing",
       {false}, {asked + "no"}, ""},
      {"close, Yes", [](PlayerController& c) { c.CloseRequest(); }, "playing", {true},
       {asked + "yes", "mci status cd position"}, "2\r\n3\r\n27\r\n"},
      {"close, Yes, the save fails", [](PlayerController& c) { c.CloseRequest(); }, "playing",
       {true},
       {asked + "yes", "mci status cd position",
        "message The bookmark was not saved: the CD drive did not report a position.\n\n"
        "The device driver is not ready."},
       "", true},
      {"close while stopped", [](PlayerController& c) { c.CloseRequest(); }, "stopped", {}, {}, ""},
      {"session query, Yes, then its end",
       [](PlayerController& c) {
         c.SessionQuery();
         c.SessionEnd();
       },
       "playing", {true}, {asked + "yes", "mci status cd position"}, "2\r\n3\r\n27\r\n"},
      {"session end", [](PlayerController& c) { c.SessionEnd(); }, "playing", {true}, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PolledWindow window(c.mode);
    FakeWorld& world = window.world;
    PlayerController& controller = window.controller;
    world.boxes.answers = c.answers;
    if (c.saveFails) world.device.Set("status cd position", "", 276);

    c.close(controller);
    std::vector<std::string> expected = c.journal;
    expected.insert(expected.end(), {"mci stop cd wait", "mci close all", "timer off"});
    EXPECT_EQ(world.journal, expected);
    EXPECT_EQ(world.disks.Content("c:\\lyrabox\\A1B2C3D"), c.saved);

    // Nothing more: a tick already on its way, a click, a second request.
    world.journal.clear();
    controller.Tick();
    controller.Click(Control::play);
    EXPECT_TRUE(controller.CloseRequest());
    controller.SessionQuery();
    controller.SessionEnd();
    EXPECT_THAT(world.journal, IsEmpty());
  }
}

// The session's query asks the close question (Yes saves) and stops nothing: when the
// end is cancelled, the disc plays on and the window with it. While a box of an event
// is open, the query asks nothing.
TEST_F(PlayerControllerTest, TheSessionsQueryAsksButEndsNothing) {
  world.boxes.answers = {true};
  controller.SessionQuery();
  EXPECT_EQ(world.journal, (std::vector<std::string>{
                               std::string("question ") + kClosePrompt + " -> yes",
                               "mci status cd position"}));
  EXPECT_EQ(world.disks.Content("c:\\lyrabox\\A1B2C3D"), "2\r\n3\r\n27\r\n");
  EXPECT_FALSE(controller.Unloaded());

  world.boxes.whileOpen = [this] { controller.SessionQuery(); };
  controller.Click(Control::stopbtn);  // "Bookmark this spot now ?"
  EXPECT_THAT(world.boxes.Questions(), ElementsAre(kClosePrompt, "Bookmark this spot now ?"));
  world.journal.clear();
  controller.Tick();
  EXPECT_THAT(world.journal, ::testing::Contains("mci status cd mode"));
}

// The session ends while a box of an event is open: the disc is stopped and the device
// closed at once, and no box appears after.
TEST_F(PlayerControllerTest, ASessionEndInsideABoxUnloadsAtOnceAndShowsNoMoreBoxes) {
  world.device.Fail("stop cd wait", 276);
  world.boxes.whileOpen = [this] { controller.SessionEnd(); };

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

TEST_F(PlayerControllerTest, ARunTimeErrorInAnEventIsShownAndEndsTheProgram) {
  world.device.Set("status cd position", "xx:yy:zz:00");  // not a number: type mismatch

  EXPECT_THROW(controller.Tick(), ProgramEnded);

  ASSERT_EQ(world.boxes.Messages().size(), 1u);
  EXPECT_NE(world.boxes.Messages()[0].find("Type mismatch"), std::string::npos);
  EXPECT_EQ(world.process.exitStatus, platform::ExitStatus::Failure);
}

// --- The view the media controls are shown ------------------------------------------

TEST_F(PlayerControllerTest, TheViewTellsWhatThePollRead) {
  std::vector<PlayerView> published;
  controller.Observe([&published](const PlayerView& view) { published.push_back(view); });
  controller.Tick();
  ASSERT_EQ(published.size(), 1u);
  const PlayerView& view = published[0];
  EXPECT_EQ(view.mode, PlayMode::Playing);
  EXPECT_TRUE(view.playing);
  EXPECT_EQ(view.discId, "A1B2C3D");
  EXPECT_EQ(view.track, 2);
  EXPECT_EQ(view.trackLength, Frames((12 * 60 + 30) * 75 + 40));  // "12:30:40"
  EXPECT_EQ(view.trackCount, 3);
  EXPECT_EQ(view.discLength, Frames((41 * 60 + 7) * 75 + 12));  // "41:07:12"
  EXPECT_EQ(view.position, std::chrono::seconds(3 * 60 + 30));
  EXPECT_EQ(view.fastForwardStep, std::chrono::seconds(5));
  EXPECT_TRUE(view.Enabled(Control::play) && view.Enabled(Control::eject));
  EXPECT_FALSE(view.Enabled(Control::timeWindow));

  // The mode is parsed where the poll reads it; a refused query leaves it as it was.
  const std::pair<const char*, PlayMode> modes[] = {
      {"seeking", PlayMode::Stopped}, {"paused", PlayMode::Paused}};
  for (const auto& [reply, mode] : modes) {
    world.device.Set("status cd mode", reply);
    controller.Tick();
    EXPECT_EQ(controller.View().mode, mode) << reply;
  }
  world.device.Set("status cd mode", "", 276);
  controller.Tick();
  EXPECT_EQ(controller.View().mode, PlayMode::Paused);

  // The disc id is read once for each scanned disc, and anew for the next one.
  world.disks.SetSerial("d:\\", 0xBEEF);
  controller.Tick();
  EXPECT_EQ(controller.View().discId, "A1B2C3D");
  world.device.Set("status cd media present", "false");
  controller.Tick();
  EXPECT_EQ(controller.View().discId, "");
  EXPECT_EQ(controller.View().track, 0);
  EXPECT_EQ(controller.View().discLength, Frames(0));
  EXPECT_FALSE(controller.View().Enabled(Control::play));
  world.device.Set("status cd media present", "true");
  controller.Tick();
  EXPECT_EQ(controller.View().discId, "BEEF");
}

// --- The names in the view -----------------------------------------------------------

// A names source that keeps each request's answer until the test gives it.
struct HeldNames : NamesSource {
  void Find(const platform::DiscSnapshot&, std::function<void(DiscText)> found) override {
    answers.push_back(std::move(found));
  }
  std::vector<std::function<void(DiscText)>> answers;
};

// The names of the current track: the disc's own text, taken when the poll scans it;
// for a disc without any, what the names source finds, once it has. An answer for a
// disc that has gone since, or for a controller that has gone, is dropped.
TEST(PlayerControllerNames, TheViewNamesTheCurrentTrackFromTheDiscOrTheSource) {
  DiscText own;
  own.album = {"Songs for Testing", "The Fixtures"};
  own.tracks[2] = {"Green Bar", ""};
  HeldNames source;
  PolledWindow window;  // its first poll had no look at the disc: no names
  window.controller.FindNamesWith(source);
  FakeWorld& world = window.world;
  PlayerController& controller = window.controller;
  auto insert = [&](DiscText text) {
    world.device.Set("status cd media present", "false");
    controller.Tick();
    world.device.disc = platform::DiscSnapshot{1, {{Frames(150), true}}, Frames(80000), text};
    world.device.Set("status cd media present", "true");
    controller.Tick();
  };
  insert(own);
  EXPECT_EQ(TrackTooltip(controller.View()), "Track 2: Green Bar, The Fixtures");
  EXPECT_EQ(controller.View().names.album, "Songs for Testing");
  EXPECT_TRUE(source.answers.empty());

  insert({});
  ASSERT_EQ(source.answers.size(), 1u);
  EXPECT_EQ(controller.View().names, TrackNames{});
  source.answers[0](own);
  EXPECT_EQ(controller.View().names.title, "Green Bar");
  insert({});  // the same disc put back; its answer comes after the next disc's
  insert({});
  source.answers[1](own);
  EXPECT_EQ(controller.View().names, TrackNames{});

  source.answers.clear();
  auto gone = std::make_unique<PlayerController>(world.platform, world.window);
  gone->FindNamesWith(source);
  gone->Load();
  gone->Tick();
  ASSERT_EQ(source.answers.size(), 1u);
  gone.reset();
  source.answers[0](own);  // the sanitizer build sees a slip
}

}  // namespace
}  // namespace lyrabox::testing
