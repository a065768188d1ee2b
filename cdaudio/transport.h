// SPDX-License-Identifier: GPL-3.0-or-later
// The device's transport: what moves the play position while the disc plays (the
// engine's transport commands, Play, Stop, Pause and Eject, are another thing: they
// send command strings). The device decides what to play (from where, up to where); a
// Transport plays it and says how far it has got.
//
// ClockTransport plays silently: the position is where play began plus the time passed
// on the device's clock. It needs nothing of the machine, so every platform has it. A
// transport that plays out loud (cdaudio/linux/sound_transport.h) reads the audio from
// the drive and reports the position that has been heard.
//
// Threads: every operation comes from the device's caller thread.
#pragma once

#include <functional>
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

// A transport made at its first Play: what playing needs (the sound output, and the
// libraries behind it) is neither loaded nor opened by a device that never plays, so
// neither a start nor a close without play pays for it. Before that Play it stands
// still and has nothing to stop.
class FirstPlayTransport final : public Transport {
 public:
  using Factory = std::function<std::unique_ptr<Transport>()>;

  // `make` runs once, at the first Play; it must not return null.
  explicit FirstPlayTransport(Factory make) : make_(std::move(make)) {}

  void Play(FrameAddress from, FrameAddress end) override;
  void Halt() override;
  FrameAddress Position() override;
  bool Running() override;
  void WaitUntilEnd() override;

 private:
  Factory make_;
  std::unique_ptr<Transport> made_;
};

}  // namespace lyrabox::cdaudio
