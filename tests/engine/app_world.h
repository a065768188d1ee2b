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

  AppWorld() {
    lifecycle.pauseObserver = [this](std::uint32_t steps) {
      world.journal.push_back("pause " + std::to_string(steps));
    };
  }

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
    world.disks.SetSerial("d:\\", serial);
    for (const char* name : {"Track01.cda", "Track02.cda", "Track03.cda"}) {
      world.disks.AddFile(std::string("d:\\") + name, "");
    }
    world.device.On("status cd media present", "true");
    world.device.On("status cd number of tracks wait", "03");
    world.device.On("status cd length wait", "41:07:12");
    world.device.On("status cd length track 1", "04:10:00");
    world.device.On("status cd length track 2", "12:30:40");
    world.device.On("status cd length track 3", "24:26:47");
    world.device.On("status cd position", "01:00:00:00");
    world.device.On("status cd mode", "stopped");
  }

  void WriteBookmark(const std::string& discId, const std::string& content) {
    world.disks.AddFile("c:\\lyrabox\\" + discId, content);
  }

  std::vector<std::string> Commands() const { return world.device.Commands(); }
};

}  // namespace lyrabox::testing
