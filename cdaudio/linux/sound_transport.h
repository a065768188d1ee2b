// Playing the disc out loud: a Transport that reads the audio from the drive and plays
// it through the machine's default sound output (SDL2), 44.1 kHz, 16-bit stereo.
//
// Three threads share the work:
// - the caller's (the user interface): Play, Halt, Position, Running. These never wait
//   for the drive or for the sound output; they only take a short lock.
// - a reader thread that reads ahead from the drive into a buffer of about
//   kReadAheadFrames. A slow or stalling drive only delays that thread.
// - SDL's output thread, which takes the sound from the buffer.
//
// The position is counted from what the output has taken, not from what was read, so
// the position shown is the position being heard (give or take the output's own
// buffer, kOutputSamples). Halt and a new Play drop what was read ahead at once.
// Frames the drive cannot read play as silence, and play goes on after them.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

  // Opens the default sound output for `drive`. Null when SDL cannot start its audio
  // or open the output; `why` then says what SDL said.
  static std::unique_ptr<SoundTransport> Open(std::shared_ptr<Drive> drive, std::string& why);

  ~SoundTransport() override;
  SoundTransport(const SoundTransport&) = delete;
  SoundTransport& operator=(const SoundTransport&) = delete;

  void Play(FrameAddress from, FrameAddress end) override;
  void Halt() override;
  FrameAddress Position() override;
  bool Running() override;
  void WaitUntilEnd() override;

 private:
  explicit SoundTransport(std::shared_ptr<Drive> drive);
  static void OutputCallback(void* self, std::uint8_t* stream, int length);
  void FillOutput(std::uint8_t* stream, std::size_t samples);
  void ReadAhead();
  // Reads `count` frames from `start`; a frame that cannot be read is silence.
  void ReadFrames(FrameAddress start, int count, std::span<std::int16_t> out);
  // Starts or pauses the output to match what is to be played. Never called with
  // mutex_ held: pausing waits for the output thread, which takes mutex_.
  void MatchOutputToPlay();
  FrameAddress PositionLocked() const;
  bool SoundingLocked() const { return playing_ && consumed_ < total_; }

  const std::shared_ptr<Drive> drive_;
  std::uint32_t output_ = 0;  // SDL's device id; set once by Open, before any Play

  std::mutex outputMutex_;  // one start or pause of the output at a time
  bool outputStarted_ = false;

  mutable std::mutex mutex_;  // guards what follows
  std::condition_variable readerWake_;
  std::condition_variable soundArrived_;  // for the output, and for WaitUntilEnd
  bool stopping_ = false;
  bool playing_ = false;    // from Play until Halt (still true once the end is heard)
  bool outputStale_ = false;  // the end was heard: the output should pause
  std::uint64_t generation_ = 0;  // changes with every Play and Halt
  FrameAddress from_;
  FrameAddress end_;
  FrameAddress nextToRead_;
  FrameAddress haltedAt_;
  std::size_t total_ = 0;     // interleaved samples from from_ to end_
  std::size_t consumed_ = 0;  // of those, taken by the output
  std::vector<std::int16_t> ring_;  // read ahead, not yet taken
  std::size_t ringStart_ = 0;
  std::size_t ringSize_ = 0;

  std::thread reader_;
};

}  // namespace lyrabox::cdaudio
