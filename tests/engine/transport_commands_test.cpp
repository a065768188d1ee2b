// SPDX-License-Identifier: GPL-3.0-or-later
// Play, Stop, Pause and Eject: what each sends and how, the questions, Playing, and
// the poll that follows.
#include <gtest/gtest.h>

#include "tests/engine/scanned_disc.h"

namespace lyrabox {
namespace {

using testing::Lines;
using testing::ScannedDisc;

constexpr char kBookmarkFile[] = "c:\\lyrabox\\A1B2C3D";
constexpr char kResumeQuestion[] = "Would you like to start playing at last bookmark ?";
constexpr char kOutOfRange[] = "The specified parameter is out of range for the specified command.";

using Play = ScannedDisc;

TEST_F(Play, WithoutABookmarkPlaysOnWithoutAsking) {
  player.Play();
  bool refreshed = true;
  EXPECT_EQ(SentBeforeRefresh(&refreshed), Lines{"play cd"});
  EXPECT_FALSE(refreshed) << "the next tick, not Play, redraws";
  EXPECT_TRUE(Checked("play cd"));
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_TRUE(player.state.Playing);
}

TEST_F(Play, YesResumesAtTheBookmarkDirectly) {
  world.disks.AddFile(kBookmarkFile, "5\r\n1\r\n7\r\n");
  world.boxes.answers = {true};
  player.Play();
  EXPECT_EQ(world.boxes.Questions(), Lines{kResumeQuestion});
  EXPECT_EQ(world.device.Commands(), Lines{"play cd from 05:01:07"});
  EXPECT_TRUE(Direct("play cd from 05:01:07"));
  EXPECT_EQ(player.state.MciCmd, "play cd from 05:01:07");
  EXPECT_TRUE(player.state.Playing);
  EXPECT_EQ(world.disks.Content(kBookmarkFile), "5\r\n1\r\n7\r\n");
}

TEST_F(Play, NoPlaysOnButTheFieldsHoldTheFile) {
  world.disks.AddFile(kBookmarkFile, "5\r\n1\r\n7\r\n");
  world.boxes.answers = {false};
  player.Play();
  EXPECT_EQ(world.device.Commands(), Lines{"play cd"});
  EXPECT_EQ(player.state.BmTrack, 5);
  EXPECT_EQ(player.state.BmMin, 1);
  EXPECT_EQ(player.state.BmSec, 7);
  EXPECT_EQ(player.state.MciCmd, "status cd length track 12") << "no composition";
  EXPECT_TRUE(player.state.Playing);
}

TEST_F(Play, AsksAgainOnEveryPress) {
  world.disks.AddFile(kBookmarkFile, "5\r\n1\r\n7\r\n");
  world.boxes.answers = {false, false};
  player.Play();
  player.Pause();
  player.Play();
  EXPECT_EQ(world.boxes.Questions(), (Lines{kResumeQuestion, kResumeQuestion}));
}

TEST_F(Play, FailuresDoNotStopPlayingBeingSet) {
  world.device.Set("play cd", "", 282);
  player.Play();
  EXPECT_EQ(world.boxes.Messages(), Lines{kOutOfRange});
  EXPECT_TRUE(player.state.Playing);

  // The resume is silent even when refused.
  world.disks.AddFile(kBookmarkFile, "99\r\n0\r\n0\r\n");
  world.device.Set("play cd from 99:00:00", "", 282);
  world.boxes.answers = {true};
  player.state.Playing = false;
  player.Play();
  EXPECT_EQ(world.boxes.Messages().size(), 1u);
  EXPECT_TRUE(player.state.Playing);
}

using Stop = ScannedDisc;

TEST_F(Stop, NoStopsAndReturnsToTheStartOfTheTrack) {
  player.state.Playing = true;
  player.state.CurTrack = 3;
  player.Stop();
  EXPECT_EQ(world.boxes.Questions(), Lines{"Bookmark this spot now ?"});
  bool refreshed = false;
  EXPECT_EQ(SentBeforeRefresh(&refreshed), (Lines{"stop cd wait", "seek cd to 3"}));
  EXPECT_TRUE(refreshed);
  EXPECT_TRUE(Checked("stop cd wait"));
  EXPECT_TRUE(Checked("seek cd to 3"));
  EXPECT_EQ(player.state.MciCmd, "seek cd to 3");
  EXPECT_FALSE(player.state.Playing);
  EXPECT_FALSE(world.disks.Has(kBookmarkFile));
}

TEST_F(Stop, NoWithNothingPolledSeeksTrackZeroAndReportsTheRefusal) {
  player.state.CurTrack = 0;
  world.device.Set("stop cd wait", "", 276);
  world.device.Set("seek cd to 0", "", 282);
  player.Stop();
  // A failed stop does not keep the seek from going out.
  EXPECT_EQ(SentBeforeRefresh(), (Lines{"stop cd wait", "seek cd to 0"}));
  EXPECT_EQ(world.boxes.Messages(), (Lines{"The device driver is not ready.", kOutOfRange}));
  EXPECT_FALSE(player.state.Playing);
}

TEST_F(Stop, YesSavesTheBookmarkAndStopsTheDisc) {
  world.device.Set("status cd position", "04:02:10:00");
  world.device.Set("status cd mode", "playing");
  player.state.Playing = true;
  world.boxes.answers = {true};
  player.Stop();
  bool refreshed = false;
  EXPECT_EQ(SentBeforeRefresh(&refreshed), (Lines{"status cd position", "stop cd wait"}));
  EXPECT_TRUE(refreshed);
  EXPECT_TRUE(Checked("stop cd wait"));
  EXPECT_EQ(world.disks.Content(kBookmarkFile), "4\r\n2\r\n7\r\n");
  EXPECT_EQ(world.journal[0], "question Bookmark this spot now ? -> yes");
  EXPECT_TRUE(player.state.Playing) << "the poll follows the device's mode";
}

TEST_F(Stop, YesStillStopsWhenTheSaveFails) {
  world.device.Set("status cd position", "", 276);
  world.device.On("status cd position", "04:02:10:00");  // the poll's query answers
  world.boxes.answers = {true};
  player.state.Playing = true;
  player.Stop();
  EXPECT_EQ(SentBeforeRefresh(), (Lines{"status cd position", "stop cd wait"}));
  EXPECT_FALSE(world.disks.Has(kBookmarkFile));
  EXPECT_EQ(world.boxes.Messages().size(), 1u);
  EXPECT_FALSE(player.state.Playing);
}

TEST_F(ScannedDisc, PauseSendsPauseAndRefreshes) {
  world.device.Set("status cd mode", "paused");
  player.state.Playing = true;
  player.Pause();
  bool refreshed = false;
  EXPECT_EQ(SentBeforeRefresh(&refreshed), Lines{"pause cd"});
  EXPECT_TRUE(refreshed);
  EXPECT_TRUE(Checked("pause cd"));
  EXPECT_FALSE(player.state.Playing);

  world.device.Set("pause cd", "", 276);
  player.Pause();
  EXPECT_EQ(world.boxes.Messages(), Lines{"The device driver is not ready."});
  EXPECT_EQ(world.device.Commands().back(), "status cd mode") << "refreshed after a failure";
}

// Stop and Pause believe the disc no longer plays even when the poll that follows
// cannot say (the drive reports no disc before any scan): the close prompt reads it.
TEST(StopAndPause, SetPlayingFalseThemselves) {
  for (void (Player::*operation)() : {&Player::Stop, &Player::Pause}) {
    testing::FakeWorld world;
    world.device.Set("status cd media present", "false");
    Player player{world.platform, world.window};
    player.state.Playing = true;
    (player.*operation)();
    EXPECT_FALSE(player.state.Playing);
  }
}

TEST_F(ScannedDisc, EjectRefreshesAlsoAfterARefusedDoor) {
  world.device.Set("set cd door open", "", 276);
  player.Eject();
  EXPECT_EQ(world.boxes.Messages(), Lines{"The device driver is not ready."});
  bool refreshed = false;
  EXPECT_EQ(SentBeforeRefresh(&refreshed), Lines{"set cd door open"});
  EXPECT_TRUE(refreshed);
}

TEST_F(ScannedDisc, EjectLeavesPlayingToThePoll) {
  player.state.Playing = true;
  world.device.Set("status cd media present", "false");
  player.Eject();
  EXPECT_EQ(world.device.Commands(), (Lines{"set cd door open", "status cd media present"}));
  EXPECT_TRUE(Checked("set cd door open"));
  // The poll found the drive empty and set Playing false with everything else.
  EXPECT_FALSE(player.state.Playing);
  EXPECT_FALSE(player.state.DiscReady);

  // Where the poll has nothing to say about Playing, Eject itself leaves it alone.
  player.state.Playing = true;
  player.Eject();
  EXPECT_TRUE(player.state.Playing);
}

}  // namespace
}  // namespace lyrabox
