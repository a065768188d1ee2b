// SPDX-License-Identifier: GPL-3.0-or-later
// The tray of a drive that nobody has to push back: the demo disc and disc images. After
// "set cd door open" the disc is out for a few seconds and then back in, as if the tray
// had been pushed in again, so that a user who tried the eject button has the disc
// again without restarting. A real drive is not wrapped: its tray waits for the user.
//
// Time comes from the device's clock, so tests move it by hand. The tray returns at the
// first look at the drive (State) once the time is up: the device looks at every
// command, and the player's poll sends one every second.
//
// Threads: any, like every Drive.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include "cdaudio/clock.h"
#include "cdaudio/drive.h"

namespace lyrabox::cdaudio {

// How long the disc stays out.
inline constexpr std::chrono::seconds kTrayReturnDelay{5};

class TrayReturn final : public Drive {
 public:
  TrayReturn(std::shared_ptr<Drive> drive, std::shared_ptr<Clock> clock);

  DriveState State() override;
  bool OpenDoor() override;
  bool CloseDoor() override;
  bool ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) override;

 private:
  std::shared_ptr<Drive> drive_;
  std::shared_ptr<Clock> clock_;
  std::mutex mutex_;
  std::optional<std::chrono::microseconds> openedAt_;  // while the tray is out
};

}  // namespace lyrabox::cdaudio
