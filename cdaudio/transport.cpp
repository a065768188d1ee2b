// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/transport.h"

#include <algorithm>

namespace lyrabox::cdaudio {

void ClockTransport::Play(FrameAddress from, FrameAddress end) {
  from_ = from;
  end_ = end;
  startedAt_ = clock_->Now();
  running_ = from < end;
  stoppedAt_ = running_ ? from : end;
}

void ClockTransport::Halt() {
  stoppedAt_ = Position();
  running_ = false;
}

FrameAddress ClockTransport::Position() {
  if (!running_) return stoppedAt_;
  const FrameAddress reached = from_ + FramesPlayedIn(clock_->Now() - startedAt_);
  if (reached >= end_) {
    running_ = false;
    stoppedAt_ = end_;
    return end_;
  }
  return reached;
}

bool ClockTransport::Running() {
  Position();
  return running_;
}

void ClockTransport::WaitUntilEnd() {
  while (Running()) {
    // Sleep for what is left; a wall clock may wake a little early, so look again.
    const FrameCount left = end_ - Position();
    clock_->SleepFor(std::max(PlayingTime(left), std::chrono::microseconds{1000}));
  }
}

void FirstPlayTransport::Play(FrameAddress from, FrameAddress end) {
  if (!made_) {
    made_ = make_();
    make_ = nullptr;  // whatever the factory holds goes with it
  }
  made_->Play(from, end);
}

void FirstPlayTransport::Halt() {
  if (made_) made_->Halt();
}

FrameAddress FirstPlayTransport::Position() { return made_ ? made_->Position() : FrameAddress{}; }

bool FirstPlayTransport::Running() { return made_ && made_->Running(); }

void FirstPlayTransport::WaitUntilEnd() {
  if (made_) made_->WaitUntilEnd();
}

}  // namespace lyrabox::cdaudio
