// SPDX-License-Identifier: GPL-3.0-or-later
// A player with its lifecycle over the fake world, and a start that runs the load
// sequence the way the window's load event does: through the event guard.
#pragma once

#include <string>
#include <vector>

#include "engine/lifecycle.h"
#include "engine/guard.h"
#include "engine/player.h"
#include "tests/fakes/fakes.h"

namespace lyrabox::testing {

struct AppWorld {
  FakeWorld world;
  Player player{world.platform, world.window};
  Lifecycle lifecycle{player};

  // Runs the load event. True when it returned, that is when the window would be
  // shown; false when the program ended during start-up.
  bool Start() {
    try {
      RunGuarded(world.platform, [this] { lifecycle.Load(); });
      return true;
    } catch (const ProgramEnded&) {
      return false;
    }
  }

  // An audio disc of three tracks in drive d:, as the device and the drive folder
  // show it, positioned at the start of track 1.
  void InsertThreeTrackDisc(std::uint32_t serial = 0xA1B2C3D) {
    AudioDisc disc;
    disc.serial = serial;
    InsertAudioDisc(world, disc);
  }

  void WriteBookmark(const std::string& discId, const std::string& content) {
    world.disks.AddFile("c:\\lyrabox\\" + discId, content);
  }

  std::vector<std::string> Commands() const { return world.device.Commands(); }
};

}  // namespace lyrabox::testing
