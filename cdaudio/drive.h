// SPDX-License-Identifier: GPL-3.0-or-later
// What the device needs of a CD drive, whatever stands behind it: a real drive or a
// disc image through libcdio (linux/device_drive.h, linux/image_drive.h), the built-in
// demo disc (demo_disc.h), or the scripted drive of the tests (scripted_drive.h).
//
// Threads: State, OpenDoor and CloseDoor come from the device's caller (the user
// interface) and answer without waiting for the disc; a drive that needs time for
// something (a spinning disc, a moving tray) does it in the background and reports it
// through State later. A real drive's OpenDoor waits for the drive's answer to the
// eject, so that a refusal reaches the user. ReadAudio is for the thread that plays the sound and may take as long
// as the drive takes. Every operation may be called from any thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

#include "cdaudio/disc_text.h"
#include "cdaudio/frames.h"
#include "cdaudio/table_of_contents.h"

namespace lyrabox::cdaudio {

enum class DiscCondition {
  NoDisc,    // the drive is closed and empty, or what is in it cannot be read
  DoorOpen,  // the tray is open (an image or the demo disc: ejected)
  Reading,   // a disc is in, its table of contents not read yet
  Ready,     // a disc is in and its table of contents known
};

// How long a caller that needs to know the disc waits for a drive still reading one it
// has just been given (Drive::AwaitSettled): longer than any drive takes to spin up, yet
// short enough that a drive that never settles cannot hold the program for long.
inline constexpr std::chrono::seconds kSettleLimit{10};

struct DriveState {
  DiscCondition condition = DiscCondition::NoDisc;
  // Present exactly when the condition is Ready.
  std::optional<TableOfContents> contents;
  // Goes up each time a disc becomes ready, so that a disc taken out and put back,
  // or a changed image, reads as newly loaded even when its contents are the same.
  std::uint64_t loadCount = 0;
  // The disc's own text, when it has any; only beside contents.
  SharedDiscText text;
};

class Drive {
 public:
  virtual ~Drive() = default;

  // What is in the drive, as last seen. Never waits for the drive.
  virtual DriveState State() = 0;

  // Ask the drive to open or close its tray. True when the request is taken (a real
  // tray may still be moving; State tells when it is done); false when the drive
  // refuses. Never waits for the disc; a real drive's OpenDoor waits for its answer.
  virtual bool OpenDoor() = 0;
  virtual bool CloseDoor() = 0;

  // Waits while the drive is still reading a disc (DiscCondition::Reading), for at
  // most `limit`: for a caller that must know the disc rather than what has been seen
  // of it so far. A drive that knows its disc at once returns at once.
  virtual void AwaitSettled(std::chrono::milliseconds limit) { (void)limit; }

  // Reads `count` frames of audio from `start` into `out`, interleaved stereo 16-bit
  // samples in the machine's byte order (kInterleavedSamplesPerFrame a frame; `out`
  // must hold count of them). False without a disc, on a read error, or when the
  // frames are not all on the disc; `out` is then unspecified.
  virtual bool ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) = 0;
  // Play has stopped for now: what the drive keeps only to read on from where it was
  // (a real drive's error correction holds its last reads) may go. Reads work as
  // before afterwards, from anywhere. For the thread that plays the sound.
  virtual void Rest() {}
};

}  // namespace lyrabox::cdaudio
