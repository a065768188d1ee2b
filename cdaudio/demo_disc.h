// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in demo disc: twelve audio tracks of varied lengths, 53 minutes in all,
// whose music is made up on demand, so the player can be tried without a CD drive
// or any file.
#pragma once

#include <atomic>
#include <mutex>
#include <span>

#include "cdaudio/drive.h"

namespace lyrabox::cdaudio {

// The demo disc's table of contents: track 1 at 00:02:00, the tracks back to back.
const TableOfContents& DemoDiscContents();

// The demo disc's own text: an album of twelve studies, each named after its key.
const SharedDiscText& DemoDiscText();

// Fills `out` with `count` frames of the demo disc's music from `start` (interleaved
// stereo, kInterleavedSamplesPerFrame samples a frame). Each track has a key, a tempo
// and a tune of its own; the last second of each track is quiet, as between the songs
// of a real disc. The same frames always give the same samples. False when the frames
// are not all on the disc. Any thread.
bool GenerateDemoAudio(FrameAddress start, int count, std::span<std::int16_t> out);

// The demo disc in a drive whose door opens and closes at once.
class DemoDrive final : public Drive {
 public:
  DriveState State() override;
  bool OpenDoor() override;
  bool CloseDoor() override;
  bool ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) override;

 private:
  std::mutex mutex_;
  bool doorOpen_ = false;
  std::uint64_t loadCount_ = 1;
};

}  // namespace lyrabox::cdaudio
