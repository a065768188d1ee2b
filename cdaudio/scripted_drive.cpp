// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/scripted_drive.h"

namespace lyrabox::cdaudio {

ScriptedDrive::ScriptedDrive(std::optional<TableOfContents> disc) {
  if (disc) InsertDisc(std::move(*disc));
}

void ScriptedDrive::InsertDisc(TableOfContents disc, bool stillReading) {
  std::lock_guard lock(mutex_);
  disc_ = std::move(disc);
  if (stillReading) {
    condition_ = DiscCondition::Reading;
  } else {
    condition_ = DiscCondition::Ready;
    ++loadCount_;
  }
}

void ScriptedDrive::FinishReading() {
  std::lock_guard lock(mutex_);
  if (condition_ == DiscCondition::Reading) {
    condition_ = DiscCondition::Ready;
    ++loadCount_;
  }
}

void ScriptedDrive::EjectByHand() {
  std::lock_guard lock(mutex_);
  disc_.reset();
  condition_ = DiscCondition::DoorOpen;
}

void ScriptedDrive::RemoveDisc() {
  std::lock_guard lock(mutex_);
  disc_.reset();
  condition_ = DiscCondition::NoDisc;
}

void ScriptedDrive::RefuseDoor(bool refuse) {
  std::lock_guard lock(mutex_);
  refuseDoor_ = refuse;
}

void ScriptedDrive::FailReads(bool fail) {
  std::lock_guard lock(mutex_);
  failReads_ = fail;
}

int ScriptedDrive::DoorOpenRequests() {
  std::lock_guard lock(mutex_);
  return doorOpenRequests_;
}

int ScriptedDrive::DoorCloseRequests() {
  std::lock_guard lock(mutex_);
  return doorCloseRequests_;
}

DriveState ScriptedDrive::State() {
  std::lock_guard lock(mutex_);
  DriveState state{condition_, std::nullopt, loadCount_, nullptr};
  if (condition_ == DiscCondition::Ready) state.contents = disc_;
  return state;
}

bool ScriptedDrive::OpenDoor() {
  std::lock_guard lock(mutex_);
  ++doorOpenRequests_;
  if (refuseDoor_) return false;
  condition_ = DiscCondition::DoorOpen;
  return true;
}

bool ScriptedDrive::CloseDoor() {
  std::lock_guard lock(mutex_);
  ++doorCloseRequests_;
  if (refuseDoor_) return false;
  if (condition_ != DiscCondition::DoorOpen) return true;
  if (disc_) {
    condition_ = DiscCondition::Ready;
    ++loadCount_;
  } else {
    condition_ = DiscCondition::NoDisc;
  }
  return true;
}

bool ScriptedDrive::ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) {
  std::lock_guard lock(mutex_);
  if (failReads_ || condition_ != DiscCondition::Ready || count < 0 ||
      out.size() < static_cast<std::size_t>(count) * kInterleavedSamplesPerFrame) {
    return false;
  }
  if (count > 0 && (!disc_->Contains(start) || !disc_->Contains(start + FrameCount{count - 1}))) {
    return false;
  }
  for (int f = 0; f < count; ++f) {
    const auto mark = static_cast<std::int16_t>((start + FrameCount{f}).value & 0x7fff);
    std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(f) *
                                  static_cast<std::ptrdiff_t>(kInterleavedSamplesPerFrame),
                kInterleavedSamplesPerFrame, mark);
  }
  return true;
}

}  // namespace lyrabox::cdaudio
