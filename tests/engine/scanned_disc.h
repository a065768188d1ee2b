// A fixture for the commands: a player whose poll has scanned a 12-track audio disc
// in d:\, with the device's records cleared afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/player.h"
#include "tests/fakes/fakes.h"

namespace lyrabox::testing {

using Lines = std::vector<std::string>;

inline const Lines kRefreshQueries = {"status cd media present", "status cd position",
                                      "status cd mode"};

class ScannedDisc : public ::testing::Test {
 protected:
  ScannedDisc() {
    world.device.Set("status cd media present", "true");
    world.device.Set("status cd number of tracks wait", "12");
    world.device.Set("status cd length wait", "52:33:45");
    for (int n = 1; n <= 12; ++n) {
      world.device.Set("status cd length track " + std::to_string(n), "04:00:00");
      world.disks.AddFile("d:\\Track" + TwoDigits(n) + ".cda", std::string(44, 'x'));
    }
    world.device.Set("status cd position", "01:00:00:00");
    world.device.Set("status cd mode", "stopped");
    world.disks.SetSerial("d:\\", 0x0A1B2C3D);
    world.disks.AddFolder("c:\\lyrabox");
    player.state.FFSpeed = 5;
    player.RefreshStatus();
    world.device.ClearLog();
    world.journal.clear();
    world.window.log.clear();
  }

  // The commands sent, with the status poll that ends most commands taken off the
  // end; `refreshed` tells whether it was there.
  Lines SentBeforeRefresh(bool* refreshed = nullptr) const {
    Lines sent = world.device.Commands();
    bool found = sent.size() >= kRefreshQueries.size() &&
                 Lines(sent.end() - 3, sent.end()) == kRefreshQueries;
    if (found) sent.resize(sent.size() - 3);
    if (refreshed != nullptr) *refreshed = found;
    return sent;
  }
  // Whether the command went through the checked send (from the window, reporting).
  bool Checked(const std::string& command) const { return CallbackOf(command) == world.window.handle; }
  bool Direct(const std::string& command) const { return CallbackOf(command) == 0; }

  FakeWorld world;
  Player player{world.platform, world.window};

 private:
  platform::WindowHandle CallbackOf(const std::string& command) const {
    for (const auto& sent : world.device.sent) {
      if (sent.command == command) {
        EXPECT_EQ(sent.replyLength, 0u) << command;
        return sent.callback;
      }
    }
    ADD_FAILURE() << command << " was not sent";
    return 0xdead;
  }
};

}  // namespace lyrabox::testing
