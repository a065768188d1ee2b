// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/tray_return.h"

#include <utility>

namespace lyrabox::cdaudio {

TrayReturn::TrayReturn(std::shared_ptr<Drive> drive, std::shared_ptr<Clock> clock)
    : drive_(std::move(drive)), clock_(std::move(clock)) {}

DriveState TrayReturn::State() {
  {
    std::lock_guard lock(mutex_);
    if (openedAt_ && clock_->Now() - *openedAt_ >= kTrayReturnDelay) {
      openedAt_.reset();
      drive_->CloseDoor();
    }
  }
  return drive_->State();
}

bool TrayReturn::OpenDoor() {
  std::lock_guard lock(mutex_);
  if (!drive_->OpenDoor()) return false;
  // A second eject while the tray is out does not keep the disc out longer.
  if (!openedAt_) openedAt_ = clock_->Now();
  return true;
}

bool TrayReturn::CloseDoor() {
  std::lock_guard lock(mutex_);
  openedAt_.reset();
  return drive_->CloseDoor();
}

bool TrayReturn::ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) {
  return drive_->ReadAudio(start, count, out);
}

}  // namespace lyrabox::cdaudio
