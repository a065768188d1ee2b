// SPDX-License-Identifier: GPL-3.0-or-later
// A drive that tests steer by hand: which disc is in it, whether the tray is open,
// whether it is still reading, and faults (a tray that will not move, reads that
// fail). Its audio is a pattern that tells where it was read from: both samples of
// every stereo pair hold the frame address modulo 32768.
#pragma once

#include <mutex>
#include <optional>

#include "cdaudio/drive.h"

namespace lyrabox::cdaudio {

class ScriptedDrive final : public Drive {
 public:
  // A closed drive with `disc` ready in it, or empty without one.
  explicit ScriptedDrive(std::optional<TableOfContents> disc = std::nullopt);

  // A disc is put in and the tray closes; it reads as ready at once, unless
  // `stillReading`, when it stays in Reading until FinishReading.
  void InsertDisc(TableOfContents disc, bool stillReading = false);
  void FinishReading();
  // The disc is taken out by hand (the drive's own button): the tray stays open.
  void EjectByHand();
  // The tray closes with nothing in it.
  void RemoveDisc();
  // Door requests fail (a locked tray, a slot drive that cannot close).
  void RefuseDoor(bool refuse);
  void FailReads(bool fail);

  int DoorOpenRequests();
  int DoorCloseRequests();

  DriveState State() override;
  bool OpenDoor() override;
  bool CloseDoor() override;
  bool ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) override;

 private:
  std::mutex mutex_;
  std::optional<TableOfContents> disc_;  // in the drive, whether the tray is open or not
  DiscCondition condition_ = DiscCondition::NoDisc;
  std::uint64_t loadCount_ = 0;
  bool refuseDoor_ = false;
  bool failReads_ = false;
  int doorOpenRequests_ = 0;
  int doorCloseRequests_ = 0;
};

}  // namespace lyrabox::cdaudio
