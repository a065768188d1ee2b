// SPDX-License-Identifier: GPL-3.0-or-later
// A device on a scripted drive with a hand-moved clock, and short ways to talk to it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "cdaudio/device.h"
#include "cdaudio/scripted_drive.h"
#include "test_discs.h"

namespace lyrabox::cdaudio::testing {

class DeviceFixture : public ::testing::Test {
 protected:
  explicit DeviceFixture(std::shared_ptr<Drive> drive = nullptr)
      : clock(std::make_shared<ManualClock>()),
        scripted(std::make_shared<ScriptedDrive>(ThreeTrackDisc())),
        device(CreateDevice(drive ? drive : scripted, clock)) {}

  // Sends a command that must succeed and returns its reply.
  std::string Ask(std::string_view command) {
    std::string reply;
    const std::uint32_t code = device->Send(command, reply);
    EXPECT_EQ(code, 0u) << '"' << command << "\": " << ErrorText(code);
    return reply;
  }
  // Sends a command and returns its result code; a refused command has no reply.
  std::uint32_t Code(std::string_view command) {
    std::string reply = "untouched";
    const std::uint32_t code = device->Send(command, reply);
    if (code != 0) {
      EXPECT_EQ(reply, "") << '"' << command << '"';
    }
    return code;
  }
  void Open() { EXPECT_EQ(Ask("open cdaudio alias cd wait shareable"), "1"); }
  void OpenInTmsf() {
    Open();
    Ask("set cd time format tmsf wait");
  }
  void Wait(double seconds) {
    clock->Advance(std::chrono::microseconds{static_cast<std::int64_t>(seconds * 1e6)});
  }

  std::shared_ptr<ManualClock> clock;
  std::shared_ptr<ScriptedDrive> scripted;
  std::unique_ptr<Device> device;
};

}  // namespace lyrabox::cdaudio::testing
