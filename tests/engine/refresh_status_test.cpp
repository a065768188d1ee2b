// SPDX-License-Identifier: GPL-3.0-or-later
// The status poll: disc detection, the one-time scan, the display, the buttons and
// the three drive states, through the scripted device.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/player.h"
#include "platform/runtime_error.h"
#include "tests/fakes/fakes.h"

namespace lyrabox {
namespace {

using testing::FakeWorld;
using Lines = std::vector<std::string>;

std::string TrackLengthReply(int track) { return "04:" + TwoDigits(track) + ":0" + std::to_string(track % 10); }

class Poll : public ::testing::Test {
 protected:
  // An audio disc of `tracks` tracks, stopped at the start of track 1.
  void InsertDisc(int tracks, const std::string& drive = "d:\\") {
    testing::AudioDisc disc;
    disc.trackLengths.clear();
    for (int n = 1; n <= tracks; ++n) disc.trackLengths.push_back(TrackLengthReply(n));
    disc.totalLength = "52:33:45";
    disc.drive = drive;
    testing::InsertAudioDisc(world, disc);
  }
  void EmptyDrive() {
    world.device.Set("status cd media present", "false");
    for (const std::string& file : world.disks.Files()) {
      if (file.rfind("d:\\", 0) == 0) world.disks.Remove(file);
    }
  }
  // Forgets what the fakes have recorded so far.
  void ClearRecords() {
    world.device.ClearLog();
    world.window.log.clear();
    world.journal.clear();
  }

  FakeWorld world;
  Player player{world.platform, world.window};
};

TEST_F(Poll, FirstPollScansTheDiscInOrder) {
  InsertDisc(12);
  player.RefreshStatus();

  Lines expected = {"status cd media present", "status cd number of tracks wait",
                    "status cd length wait"};
  for (int n = 1; n <= 12; ++n) expected.push_back("status cd length track " + std::to_string(n));
  expected.insert(expected.end(), {"seek cd to 1", "status cd position", "status cd mode"});
  EXPECT_EQ(world.device.Commands(), expected);

  // Queries hand over the poll's whole buffer and name no window; the seek is a
  // checked send from the window.
  for (const auto& sent : world.device.sent) {
    bool isSeek = sent.command == "seek cd to 1";
    EXPECT_EQ(sent.replyLength, isSeek ? 0u : 30u) << sent.command;
    EXPECT_EQ(sent.callback, isSeek ? world.window.handle : 0u) << sent.command;
  }

  EXPECT_EQ(world.window.log,
            (Lines{"enable eject", "text totalplay=Tracks: 12  Total time: 52:33:45",
                   "enable play", "enable pause", "enable Bookmark", "enable ff", "enable rew",
                   "enable ftrack", "enable btrack", "enable stopbtn",
                   "text timeWindow=[01] 00:00", "text tracktime=Track time: 04:01:01"}));
  // Buttons are enabled before the seek goes out.
  Lines journal = world.journal;
  auto stopbtn = std::find(journal.begin(), journal.end(), "enable stopbtn");
  auto seek = std::find(journal.begin(), journal.end(), "mci seek cd to 1");
  EXPECT_LT(stopbtn, seek);

  EXPECT_TRUE(player.state.DiscReady);
  EXPECT_EQ(player.state.TrackCount, 12);
  ASSERT_EQ(player.state.TrackLength.size(), 13u);
  EXPECT_EQ(player.state.TrackLength[12], TrackLengthReply(12));
  EXPECT_EQ(player.state.MciCmd, "status cd length track 12");
  EXPECT_EQ(player.state.CurTrack, 1);
  EXPECT_FALSE(player.state.Playing);
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(Poll, LaterPollsOfAScannedDiscCostThreeQueries) {
  InsertDisc(12);
  player.RefreshStatus();
  ClearRecords();
  world.device.Set("status cd position", "03:02:41:12");
  world.device.Set("status cd mode", "playing");
  player.RefreshStatus();
  EXPECT_EQ(world.device.Commands(),
            (Lines{"status cd media present", "status cd position", "status cd mode"}));
  EXPECT_EQ(world.window.log,
            (Lines{"text timeWindow=[03] 02:41", "text tracktime=Track time: 04:03:03"}));
  EXPECT_EQ(player.state.CurTrack, 3);
  EXPECT_EQ(player.state.CurMin, 2);
  EXPECT_EQ(player.state.CurSec, 41);
  EXPECT_TRUE(player.state.Playing);
}

TEST_F(Poll, OnlyAModeStartingWithPlayingMeansPlaying) {
  InsertDisc(3);
  player.RefreshStatus();
  struct Case {
    const char* mode;
    bool playing;
  };
  for (Case c : {Case{"playing", true}, Case{"paused", false}, Case{"stopped", false},
                 Case{"Playing", false}, Case{"play", false}, Case{"playingx", true},
                 Case{"not ready", false}, Case{"seeking", false}}) {
    world.device.Set("status cd mode", c.mode);
    player.state.Playing = !c.playing;
    player.RefreshStatus();
    EXPECT_EQ(static_cast<bool>(player.state.Playing), c.playing) << c.mode;
  }
}

TEST_F(Poll, DiscWithoutTrackFilesIsNeverScanned) {
  InsertDisc(2);
  world.disks.Remove("d:\\Track01.cda");
  world.disks.Remove("d:\\Track02.cda");
  world.disks.AddFile("d:\\setup.exe", "");
  world.disks.AddFile("d:\\Track01.cda", "", testing::FakeDisks::Kind::Hidden);
  world.disks.AddFolder("d:\\Track02.cda");
  for (int poll = 0; poll < 3; ++poll) {
    ClearRecords();
    player.RefreshStatus();
    EXPECT_EQ(world.device.Commands(),
              (Lines{"status cd media present", "status cd number of tracks wait"}));
    EXPECT_EQ(world.window.log, Lines{"enable eject"});
  }
  EXPECT_FALSE(player.state.DiscReady);
  EXPECT_EQ(player.state.TrackCount, 2);
  EXPECT_TRUE(player.state.TrackLength.empty());
}

TEST_F(Poll, TrackFilesAreLookedForOnTheConfiguredDrive) {
  InsertDisc(4, "e:\\");
  player.RefreshStatus();
  EXPECT_FALSE(player.state.DiscReady) << "d:\\ holds no track files";

  player.CdDrive = "e:\\";
  player.RefreshStatus();
  EXPECT_TRUE(player.state.DiscReady);
}

TEST_F(Poll, RemovedDiscDisablesEverythingAndClearsTheDisplays) {
  InsertDisc(12);
  world.device.Set("status cd position", "03:02:41:12");
  world.device.Set("status cd mode", "playing");
  player.RefreshStatus();
  ClearRecords();

  EmptyDrive();
  player.RefreshStatus();
  EXPECT_EQ(world.device.Commands(), Lines{"status cd media present"});
  EXPECT_EQ(world.window.log,
            (Lines{"disable eject", "disable play", "disable Bookmark", "disable pause",
                   "disable ff", "disable rew", "disable ftrack", "disable btrack",
                   "disable stopbtn", "text totalplay=", "text tracktime=", "text timeWindow="}));
  EXPECT_FALSE(player.state.DiscReady);
  EXPECT_FALSE(player.state.Playing);
  // The last disc's figures stay until the next scan overwrites them.
  EXPECT_EQ(player.state.TrackCount, 12);
  EXPECT_EQ(player.state.TrackLength.size(), 13u);
  EXPECT_EQ(player.state.CurTrack, 3);
  EXPECT_EQ(player.state.MciCmd, "status cd length track 12");

  ClearRecords();
  player.RefreshStatus();
  EXPECT_EQ(world.window.log, Lines{"disable eject"});
}

TEST_F(Poll, EmptyDriveFromTheStartOnlyDisablesEject) {
  world.device.Set("status cd media present", "false");
  world.window.SetText(Control::timeWindow, "untouched");
  world.window.log.clear();
  player.RefreshStatus();
  player.RefreshStatus();
  EXPECT_EQ(world.window.log, (Lines{"disable eject", "disable eject"}));
  EXPECT_EQ(world.window.Text(Control::timeWindow), "untouched");
}

TEST_F(Poll, NewDiscAfterAnEmptyDriveIsScannedAfresh) {
  InsertDisc(12);
  player.RefreshStatus();
  EmptyDrive();
  player.RefreshStatus();

  InsertDisc(3);
  world.device.Set("status cd length wait", "11:00:00");
  ClearRecords();
  player.RefreshStatus();
  EXPECT_TRUE(player.state.DiscReady);
  EXPECT_EQ(player.state.TrackCount, 3);
  EXPECT_EQ(player.state.TrackLength,
            (std::vector<std::string>{"", TrackLengthReply(1), TrackLengthReply(2),
                                      TrackLengthReply(3)}));
  EXPECT_EQ(world.window.Text(Control::totalplay), "Tracks: 3  Total time: 11:00:00");
  EXPECT_EQ(world.device.Commands()[5], "status cd length track 3");
}

TEST_F(Poll, OneDigitTrackCountOverALongerOlderReply) {
  InsertDisc(9);
  // The media-present reply "true" sits in the buffer before the count arrives.
  player.RefreshStatus();
  EXPECT_EQ(player.state.TrackCount, 9);
  EXPECT_EQ(player.state.TrackLength.size(), 10u);
  EXPECT_EQ(world.window.Text(Control::totalplay), "Tracks: 9  Total time: 52:33:45");
}

// A query the device refuses (the disc taken out between two queries) ends the poll
// there: nothing is read from the buffer's older reply, nothing after it is written
// (a scan cut short takes its totals back), and the next poll carries on.
TEST(PollRefusal, EndsThePollAtTheRefusedQueryAndTheNextPollCarriesOn) {
  struct Case {
    bool scanned;  // whether an earlier poll has scanned the disc
    const char* refused;
    std::string answer;   // what the query gets once the drive answers again
    Lines windowChanges;  // what the poll changed before it stopped
    int curTrack;         // the position it read before it stopped, or the older one
  };
  const std::string total = "text totalplay=Tracks: 3  Total time: 52:33:45";
  const Case cases[] = {
      {false, "status cd media present", "true", {}, 0},
      {false, "status cd number of tracks wait", "3", {}, 0},
      {false, "status cd length wait", "52:33:45", {"enable eject"}, 0},
      {false, "status cd length track 2", TrackLengthReply(2),
       {"enable eject", total, "text totalplay="}, 0},
      {true, "status cd media present", "true", {}, 1},
      {true, "status cd position", "02:00:05:00", {}, 1},
      {true, "status cd mode", "playing",
       {"text timeWindow=[02] 00:05", "text tracktime=Track time: 04:02:02"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.refused) + (c.scanned ? ", scanned" : ", first poll"));
    FakeWorld world;
    Player player{world.platform, world.window};
    testing::AudioDisc disc;
    disc.trackLengths = {TrackLengthReply(1), TrackLengthReply(2), TrackLengthReply(3)};
    disc.totalLength = "52:33:45";
    disc.position = "01:00:00:00";
    disc.mode = "playing";
    testing::InsertAudioDisc(world, disc);
    if (c.scanned) player.RefreshStatus();
    const PlayerState before = player.state;

    world.device.Set("status cd position", "02:00:05:00");
    world.device.Set(c.refused, "", 276);
    world.device.ClearLog();
    world.window.log.clear();
    ASSERT_NO_THROW(player.RefreshStatus());
    Lines sent = world.device.Commands();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), c.refused);
    EXPECT_EQ(world.window.log, c.windowChanges);
    EXPECT_EQ(bool(player.state.DiscReady), bool(before.DiscReady));
    EXPECT_EQ(bool(player.state.Playing), bool(before.Playing));
    EXPECT_EQ(player.state.CurTrack, c.curTrack);
    EXPECT_TRUE(world.boxes.shown.empty());

    // The drive answers again: the next poll scans or reads on as usual.
    world.device.Set(c.refused, c.answer);
    player.RefreshStatus();
    EXPECT_TRUE(player.state.DiscReady);
    EXPECT_TRUE(player.state.Playing);
    EXPECT_EQ(player.state.TrackLength[2], TrackLengthReply(2));
    EXPECT_EQ(world.window.Text(Control::timeWindow), "[02] 00:05");
  }
}

TEST_F(Poll, UnreadableRepliesAreTypeMismatch) {
  InsertDisc(3);
  player.RefreshStatus();
  // An answer the device gave that is no position.
  world.device.Set("status cd position", "no disc");
  try {
    player.RefreshStatus();
    FAIL() << "a position of \"no disc\" was read as a number";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), ErrorNumber::TypeMismatch);
  }

  world.device.Set("status cd media present", "maybe");
  EXPECT_THROW(player.RefreshStatus(), RuntimeError);
}

TEST_F(Poll, RefusedSeekIsReportedAndThePollGoesOn) {
  InsertDisc(2);
  world.device.Set("seek cd to 1", "", 282);
  player.RefreshStatus();
  EXPECT_EQ(world.boxes.Messages(),
            Lines{"The specified parameter is out of range for the specified command."});
  EXPECT_EQ(player.MciError, 282);
  EXPECT_EQ(world.device.Commands().back(), "status cd mode");
  EXPECT_EQ(world.window.Text(Control::timeWindow), "[01] 00:00");
}

TEST_F(Poll, PositionOutsideTheScannedTracksShowsNoTrackTime) {
  InsertDisc(12);
  player.RefreshStatus();
  for (const char* position : {"13:00:01:00", "00:00:00:00", "99:59:59:74", "-1:00:00:00"}) {
    world.device.Set("status cd position", position);
    EXPECT_NO_THROW(player.RefreshStatus()) << position;
    EXPECT_EQ(world.window.Text(Control::tracktime), "Track time: ") << position;
  }
  world.device.Set("status cd position", "12:00:01:00");
  player.RefreshStatus();
  EXPECT_EQ(world.window.Text(Control::tracktime), "Track time: " + TrackLengthReply(12));
}

TEST_F(Poll, DiscCountingNoTracksIsScannedAsAnEmptyDisc) {
  InsertDisc(1);
  world.device.Set("status cd number of tracks wait", "0");
  world.device.Set("seek cd to 1", "", 282);
  EXPECT_NO_THROW(player.RefreshStatus());
  EXPECT_TRUE(player.state.DiscReady);
  EXPECT_EQ(player.state.TrackCount, 0);
  EXPECT_EQ(player.state.TrackLength.size(), 1u);  // only the unused index 0
  EXPECT_EQ(world.window.Text(Control::totalplay), "Tracks: 0  Total time: 52:33:45");
  EXPECT_EQ(world.window.Text(Control::tracktime), "Track time: ");
  EXPECT_TRUE(world.window.IsEnabled(Control::play));

  // A nonsense negative count is no different.
  EmptyDrive();
  player.RefreshStatus();
  InsertDisc(1);
  world.device.Set("status cd number of tracks wait", "-3");
  EXPECT_NO_THROW(player.RefreshStatus());
  EXPECT_EQ(player.state.TrackLength.size(), 1u);
}

}  // namespace
}  // namespace lyrabox
