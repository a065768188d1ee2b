// SPDX-License-Identifier: GPL-3.0-or-later
// The demo disc in our own device, reached through the Linux host's device channel and
// disks on a fresh temporary home, with the device's clock moved by hand. The fake
// world stands in for the process, the boxes and the window. Removes its home when done.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"
#include "platform/audio_cd/device_channel.h"
#include "platform/linux/drive_folders.h"
#include "platform/linux/host_disks.h"
#include "tests/fakes/fakes.h"

namespace lyrabox::testing {

struct DemoDiscHost {
  DemoDiscHost() = default;
  DemoDiscHost(const DemoDiscHost&) = delete;
  DemoDiscHost& operator=(const DemoDiscHost&) = delete;
  ~DemoDiscHost() {
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
  }

  static std::filesystem::path MakeHome() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "lyrabox-host-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
  }

  std::filesystem::path home = MakeHome();
  std::shared_ptr<cdaudio::ManualClock> clock = std::make_shared<cdaudio::ManualClock>();
  std::unique_ptr<cdaudio::Device> device =
      cdaudio::CreateDevice(std::make_shared<cdaudio::DemoDrive>(), clock);
  host::DriveFolders drives{home};
  platform::AudioCdChannel channel{*device};
  host::HostDisks disks{drives, 'd', channel};
  FakeWorld world;
  platform::Platform platform{channel, disks, world.process, world.boxes};
};

}  // namespace lyrabox::testing
