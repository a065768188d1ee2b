// SPDX-License-Identifier: GPL-3.0-or-later
// The device's sense of time. The play position moves with a clock; the tests move a
// ManualClock by hand so that nothing waits on the wall clock.
#pragma once

#include <atomic>
#include <chrono>

namespace lyrabox::cdaudio {

class Clock {
 public:
  virtual ~Clock() = default;
  // Time since some fixed point; never goes backwards. Any thread.
  virtual std::chrono::microseconds Now() = 0;
  // Returns once `duration` has passed on this clock.
  virtual void SleepFor(std::chrono::microseconds duration) = 0;
};

class SteadyClock final : public Clock {
 public:
  std::chrono::microseconds Now() override;
  void SleepFor(std::chrono::microseconds duration) override;
};

// Time that passes only when a test says so. Sleeping on it moves it forward at once,
// as if the sleeper had waited.
class ManualClock final : public Clock {
 public:
  std::chrono::microseconds Now() override { return std::chrono::microseconds{now_.load()}; }
  void SleepFor(std::chrono::microseconds duration) override { Advance(duration); }
  void Advance(std::chrono::microseconds duration) {
    if (duration.count() > 0) now_ += duration.count();
  }

 private:
  std::atomic<std::chrono::microseconds::rep> now_{0};
};

}  // namespace lyrabox::cdaudio
