// SPDX-License-Identifier: GPL-3.0-or-later
// Playing the disc out loud: a Transport that reads the audio from the drive and plays
// it through the machine's default sound output (SDL2), 44.1 kHz, 16-bit stereo.
//
// Three threads share the work:
// - the caller's (the user interface): Play, Halt, Position, Running. These never wait
//   for the drive or for the sound output; they only take a short lock.
// - a reader thread that reads ahead from the drive into a buffer of about
//   kReadAheadFrames. A slow or stalling drive only delays that thread. When play
//   stops, it tells the drive (Drive::Rest).
// - SDL's output thread, which takes the sound from the buffer.
//
// The position is counted from what the output has taken, not from what was read, so
// the position shown is the position being heard (give or take the output's own
// buffer, kOutputSamples). Halt and a new Play drop what was read ahead at once.
// Frames the drive cannot read play as silence, and play goes on after them; once the
// disc has gone from the drive, the play ends there and nothing more is read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "cdaudio/drive.h"
#include "cdaudio/transport.h"

namespace lyrabox::cdaudio {

class SoundTransport final : public Transport {
 public:
  // About 0.8 s read ahead: enough to ride out a busy machine or a drive that
  // hesitates, little enough that dropping it on a seek costs nothing.
  static constexpr int kReadAheadFrames = 60;
  // One read from the drive: 80 ms of sound.
  static constexpr int kReadFrames = 6;
  // Samples a channel the output asks for at a time: about 23 ms.
  static constexpr int kOutputSamples = 1024;

  // Starts SDL's audio without opening an output, so that a later Open is quick: SDL
  // loads the libraries of its audio drivers and connects to the sound server, which
  // shows nothing in the desktop's sound settings and leaves the sound card asleep (an
  // output opened and idle would be listed there as playing, and keep the card awake).
  // It stays started for the rest of the run. False, with `why` saying what SDL said,
  // when SDL cannot start its audio.
  static bool Warm(std::string& why);

  // Opens the default sound output for `drive`. Null when SDL cannot start its audio
  // or open the output; `why` then says what SDL said.
  static std::unique_ptr<SoundTransport> Open(std::shared_ptr<Drive> drive, std::string& why);

  // Waits for the reader, unless it is in a drive read that does not end soon (a drive
  // whose read hangs): that reader is left to end by itself, holding what it needs, so
  // that closing never hangs on the drive.
  ~SoundTransport() override;
  SoundTransport(const SoundTransport&) = delete;
  SoundTransport& operator=(const SoundTransport&) = delete;

  void Play(FrameAddress from, FrameAddress end) override;
  void Halt() override;
  FrameAddress Position() override;
  bool Running() override;
  void WaitUntilEnd() override;

 private:
  // What the three threads share; the reader holds it too, so that it can outlive
  // the transport.
  class Core;
  explicit SoundTransport(std::shared_ptr<Drive> drive);

  std::shared_ptr<Core> core_;
  std::thread reader_;
};

}  // namespace lyrabox::cdaudio
