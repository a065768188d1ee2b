// SPDX-License-Identifier: GPL-3.0-or-later
// A real CD drive, through libcdio.
//
// A real drive can take seconds to spin up, read its table of contents or move its
// tray, so looking at it happens in Refresh, which a background thread calls every
// second; State answers from what the last look saw, AwaitSettled waits for a look
// that is under way, and closing the tray is handed to that thread. Opening it is
// tried at once, so that a drive that refuses (locked) is reported to the user.
//
// Its audio is read with error correction (libcdio-paranoia), which rereads and matches
// what a scratched disc gives; a drive that cannot do that is read plainly. A read that
// fails because the disc has gone (the tray opened by hand, another disc) gives up at
// once and leaves the disc to be looked at again.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "cdaudio/drive.h"
#include "cdaudio/result_codes.h"
#include "cdaudio/linux/cdio_support.h"

namespace lyrabox::cdaudio {

// The device node of the system's first CD drive, or nothing when it has none.
std::optional<std::string> FirstCdDrive();

// kSuccess when the device node `path` is a CD drive that can be opened; else the
// driver's own code that says why not (kNotACdDrive ...).
ResultCode CdDriveProblem(const std::string& path);

class DeviceDrive final : public Drive {
 public:
  // The drive at the device node `path`. It reads as Reading until the first look has
  // been taken.
  static std::shared_ptr<DeviceDrive> Open(std::string path, Watching watching);

  // One look: carries out a pending door request, then notices a disc put in, taken
  // out or changed. May take as long as the drive takes.
  void Refresh();

  DriveState State() override;
  bool OpenDoor() override;
  bool CloseDoor() override;
  void AwaitSettled(std::chrono::milliseconds limit) override;
  bool ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) override;
  void Rest() override;

 private:
  // Error-corrected reading on handle_.
  class ParanoiaReader;
  struct ParanoiaDeleter {
    void operator()(ParanoiaReader* reader) const;
  };

  explicit DeviceDrive(std::string path) : path_(std::move(path)) {}
  void CloseTray();
  // Opens the drive anew and reads its contents into the state.
  void Load(std::uint64_t doorMoves);
  // Records what a look saw, unless the door has been moved since the look began
  // (`doorMoves` is the count it began with): the user's eject or close wins over a
  // look under way.
  void RecordLook(std::uint64_t doorMoves, DiscCondition condition,
                  std::optional<TableOfContents> contents, SharedDiscText text = nullptr);
  // The disc read from has gone: it reads as being read until the next look.
  void LoseDisc();
  // With ioMutex_ held: a new handle (or none), and error correction set up anew.
  void ReplaceHandle(CdIo_t* handle);
  // With ioMutex_ held: reads through the error correction when the drive allows it,
  // else plainly. `gone` tells a failure because the disc has left the drive.
  bool ReadSectors(FrameAddress start, int count, std::span<std::int16_t> out, bool& gone);

  const std::string path_;

  std::mutex lookMutex_;      // one look at a time
  std::timed_mutex ioMutex_;  // guards handle_ and paranoia_: libcdio calls on them
  cdio::Handle handle_;
  std::unique_ptr<ParanoiaReader, ParanoiaDeleter> paranoia_;
  bool paranoiaTried_ = false;  // for this handle

  std::mutex mutex_;  // guards what follows; never held while waiting on the drive
  std::condition_variable settled_;  // the condition has left Reading
  DriveState state_;
  bool closeRequested_ = false;
  std::uint64_t doorMoves_ = 0;  // OpenDoor and CloseDoor requests taken so far

  std::unique_ptr<cdio::Watcher> watcher_;  // last: it stops before the rest goes
};

}  // namespace lyrabox::cdaudio
