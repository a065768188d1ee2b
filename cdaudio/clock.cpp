// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/clock.h"

#include <thread>

namespace lyrabox::cdaudio {

std::chrono::microseconds SteadyClock::Now() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

void SteadyClock::SleepFor(std::chrono::microseconds duration) {
  std::this_thread::sleep_for(duration);
}

}  // namespace lyrabox::cdaudio
