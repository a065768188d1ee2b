// What moves the play position while the disc plays. The device decides what to play
// (from where, up to where); a Transport plays it and says how far it has got.
//
// ClockTransport plays silently: the position is where play began plus the time passed
// on the device's clock. It needs nothing of the machine, so every platform has it. A
// transport that plays out loud (cdaudio/linux/sound_transport.h) reads the audio from
// the drive and reports the position that has been heard.
//
// Threads: every operation comes from the device's caller thread.
#pragma once

#include <memory>

#include "cdaudio/clock.h"
#include "cdaudio/frames.h"

namespace lyrabox::cdaudio {

class Transport {
 public:
  virtual ~Transport() = default;

  // Starts playing at `from`; play ends by itself on reaching `end` (exclusive).
  // Replaces whatever was playing. Needs from < end.
  virtual void Play(FrameAddress from, FrameAddress end) = 0;
  // Stops playing. Position then stays where play stopped.
  virtual void Halt() = 0;
  // How far play has got: the frame about to be heard, `end` once play has ended.
  virtual FrameAddress Position() = 0;
  // From Play until Halt or the end is reached.
  virtual bool Running() = 0;
  // Returns when play has reached its end (at once when not running).
  virtual void WaitUntilEnd() = 0;
};

class ClockTransport final : public Transport {
 public:
  explicit ClockTransport(std::shared_ptr<Clock> clock) : clock_(std::move(clock)) {}

  void Play(FrameAddress from, FrameAddress end) override;
  void Halt() override;
  FrameAddress Position() override;
  bool Running() override;
  void WaitUntilEnd() override;

 private:
  std::shared_ptr<Clock> clock_;
  bool running_ = false;
  FrameAddress from_;
  FrameAddress end_;
  std::chrono::microseconds startedAt_{0};
  FrameAddress stoppedAt_;
};

}  // namespace lyrabox::cdaudio
