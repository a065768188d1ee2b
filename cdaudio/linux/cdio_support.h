// SPDX-License-Identifier: GPL-3.0-or-later
// What the image drive and the device drive share: libcdio's handle and its log, the
// table of contents read through a handle, plain audio reads, the rule for when a disc
// counts as newly loaded, and the thread that looks at the drive every second.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

#include "cdaudio/drive.h"

typedef struct _CdIo CdIo_t;

namespace lyrabox::cdaudio {

// Background: a thread looks at the drive or the file every second. ByHand: only
// the drive's Refresh does (tests).
enum class Watching { Background, ByHand };

namespace cdio {

struct HandleDeleter {
  void operator()(CdIo_t* cdio) const;
};
using Handle = std::unique_ptr<CdIo_t, HandleDeleter>;

// Routes libcdio's own messages through ours: each error once (a drive looked at every
// second must not repeat itself); the chatter below errors is dropped. Any thread.
void RouteLog();

// The table of contents behind `cdio`; nothing when it cannot be read or describes
// no disc.
std::optional<TableOfContents> ReadContents(const CdIo_t* cdio);

// The disc's own text behind `cdio` (CD-Text from the drive, or from an image's cue
// sheet) for the tracks of `contents`; nothing when it has none. A drive is asked for
// it once per handle.
SharedDiscText ReadText(CdIo_t* cdio, const TableOfContents& contents);

// Reads `count` frames from `start` as they are stored, without error correction,
// into `out` (Drive::ReadAudio's layout).
bool ReadPlainly(CdIo_t* cdio, FrameAddress start, int count, std::span<std::int16_t> out);

// Whether a Drive::ReadAudio of `count` frames from `start` into `out` asks for frames
// that are all on the disc in `state`, and `out` holds them.
bool ReadFits(const DriveState& state, FrameAddress start, int count,
              std::span<const std::int16_t> out);

// Records what a look found. The load count goes up only for a disc that was not
// ready already: a drive may report a change just for having been opened, and a
// second look that finds the same disc must not make the device lose its place.
// The text goes with the contents.
void Record(DriveState& state, DiscCondition condition, std::optional<TableOfContents> contents,
            SharedDiscText text = nullptr);

// A thread that calls `look` at once, then again a second after each look ends, or as
// soon as Wake is called. Destroying it waits for a look under way: a drive declares
// it last, so that it stops before anything the look uses goes.
class Watcher {
 public:
  explicit Watcher(std::function<void()> look);
  ~Watcher();
  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

  void Wake();

  // Stops the looks. True when the thread has ended within `limit`; else a look is
  // stuck in the drive, and the thread is left to call `whenLeft` once that look ends
  // (it may never), which must then destroy what the look uses, this watcher with it.
  bool StopOrLeave(std::chrono::milliseconds limit, std::function<void()> whenLeft);

 private:
  std::function<void()> look_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable lookEnded_;
  bool woken_ = false;
  bool stopping_ = false;
  bool looking_ = false;
  std::function<void()> whenLeft_;  // set when the thread has been left
  std::thread thread_;
};

}  // namespace cdio
}  // namespace lyrabox::cdaudio
