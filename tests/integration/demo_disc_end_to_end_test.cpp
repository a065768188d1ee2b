// SPDX-License-Identifier: GPL-3.0-or-later
// The player's logic on the real device with the demo disc, through the Linux host's
// device channel and disks on a temporary home. The device's clock is moved by hand;
// only the boxes and the window are recorded.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/player.h"
#include "tests/support/demo_disc_host.h"

namespace lyrabox {
namespace {

class DemoDisc : public ::testing::Test, protected testing::DemoDiscHost {
 protected:
  // What the load sequence does with the device before the first poll.
  void OpenDevice(Player& player) {
    ASSERT_TRUE(player.SendMci(command::kOpen, true));
    ASSERT_TRUE(player.SendMci(command::kTimeFormatTmsfWait, true));
    player.state.FFSpeed = 5;
  }
  void Wait(double seconds) {
    clock->Advance(std::chrono::microseconds{static_cast<long long>(seconds * 1e6)});
  }
  std::string TimeShown() const { return world.window.Text(Control::timeWindow); }
  std::string BookmarkFileOnDisk() {
    char id[9];
    const std::uint32_t serial = disks.VolumeSerialNumber("d:\\").value();
    std::snprintf(id, sizeof id, "%X", static_cast<unsigned>(serial));
    std::ifstream file(home / "drive_c" / "lyrabox" / id, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
  }

};

TEST_F(DemoDisc, PollPlayAndStopAndBookmarkKeepThePositionAcrossARestart) {
  Player player(platform, world.window);
  OpenDevice(player);

  player.RefreshStatus();
  EXPECT_TRUE(player.state.DiscReady);
  EXPECT_EQ(player.state.TrackCount, 12);
  EXPECT_EQ(world.window.Text(Control::totalplay).rfind("Tracks: 12  Total time: ", 0), 0u)
      << world.window.Text(Control::totalplay);
  EXPECT_EQ(TimeShown(), "[01] 00:00");
  EXPECT_EQ(world.window.Text(Control::tracktime), "Track time: " + player.state.TrackLength[1]);
  EXPECT_TRUE(world.window.IsEnabled(Control::Bookmark));

  player.Play();
  Wait(4.5);
  player.RefreshStatus();
  EXPECT_EQ(TimeShown(), "[01] 00:04");
  EXPECT_TRUE(player.state.Playing);
  Wait(61);
  player.RefreshStatus();
  EXPECT_EQ(TimeShown(), "[01] 01:05");

  // No data folder exists yet: the save makes it.
  player.StopAndBookmark();
  EXPECT_EQ(BookmarkFileOnDisk(), "1\r\n1\r\n2\r\n");
  Wait(5);
  player.RefreshStatus();
  EXPECT_FALSE(player.state.Playing);
  EXPECT_EQ(TimeShown(), "[01] 01:05");
  EXPECT_TRUE(world.boxes.shown.empty()) << world.boxes.shown[0].text;

  // A new start of the player scans the disc, finds the bookmark and resumes there.
  Player restarted(platform, world.window);
  restarted.RefreshStatus();
  EXPECT_EQ(TimeShown(), "[01] 00:00");
  ASSERT_TRUE(restarted.ReadBookmark());
  EXPECT_EQ(restarted.state.BmTrack, 1);
  EXPECT_EQ(restarted.state.BmMin, 1);
  EXPECT_EQ(restarted.state.BmSec, 2);
  world.boxes.answers = {true};
  restarted.Play();
  EXPECT_EQ(restarted.state.MciCmd, "play cd from 01:01:02");
  Wait(1.2);
  restarted.RefreshStatus();
  EXPECT_EQ(TimeShown(), "[01] 01:03");
  EXPECT_TRUE(restarted.state.Playing);
}

TEST_F(DemoDisc, NextTrackRewindPauseAndFastForwardMoveTheDevice) {
  Player player(platform, world.window);
  OpenDevice(player);
  player.RefreshStatus();

  player.Play();
  Wait(3.2);
  player.RefreshStatus();
  EXPECT_EQ(TimeShown(), "[01] 00:03");

  player.NextTrack();
  EXPECT_EQ(TimeShown(), "[02] 00:00");
  EXPECT_TRUE(player.state.Playing);
  Wait(10.1);
  player.RefreshStatus();
  EXPECT_EQ(TimeShown(), "[02] 00:10");

  player.Rewind();
  EXPECT_EQ(TimeShown(), "[02] 00:05");
  EXPECT_TRUE(player.state.Playing) << "rewinding while playing plays on";
  Wait(2.1);
  player.RefreshStatus();
  EXPECT_EQ(TimeShown(), "[02] 00:07");

  player.Pause();
  EXPECT_FALSE(player.state.Playing);
  Wait(30);
  player.RefreshStatus();
  EXPECT_EQ(TimeShown(), "[02] 00:07");

  // While not playing, a move only seeks.
  player.FastForward();
  EXPECT_EQ(TimeShown(), "[02] 00:12");
  EXPECT_FALSE(player.state.Playing);
  Wait(10);
  player.RefreshStatus();
  EXPECT_EQ(TimeShown(), "[02] 00:12");

  // Back in TMSF after the millisecond detour; previous track from 00:12 is the
  // start of the same track, and from there the track before.
  player.PreviousTrack();
  EXPECT_EQ(TimeShown(), "[02] 00:00");
  player.PreviousTrack();
  EXPECT_EQ(TimeShown(), "[01] 00:00");
  EXPECT_TRUE(world.boxes.shown.empty()) << world.boxes.shown[0].text;
}

}  // namespace
}  // namespace lyrabox
