// SPDX-License-Identifier: GPL-3.0-or-later
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
    AudioDisc disc;
    disc.trackLengths.assign(12, "04:00:00");
    disc.totalLength = "52:33:45";
    disc.dataFolder = true;
    InsertAudioDisc(world, disc);
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
