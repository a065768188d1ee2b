// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/frames.h"

#include <cstdio>

namespace lyrabox::cdaudio {

Msf ToMsf(FrameCount count) {
  const std::int64_t frames = count.value;
  return Msf{frames / kFramesPerMinute, frames / kFramesPerSecond % 60,
             frames % kFramesPerSecond};
}

FrameCount FromMsf(std::int64_t minute, std::int64_t second, std::int64_t frame) {
  return FrameCount{minute * kFramesPerMinute + second * kFramesPerSecond + frame};
}

std::string TwoDigits(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%02lld", static_cast<long long>(value));
  return text;
}

std::string FormatMsf(const Msf& msf) {
  return TwoDigits(msf.minute) + ":" + TwoDigits(msf.second) + ":" + TwoDigits(msf.frame);
}

std::int64_t PositionToMilliseconds(FrameAddress address) {
  return address.value * 1000 / kFramesPerSecond + 1;
}

FrameAddress MillisecondsToPosition(std::int64_t milliseconds) {
  return FrameAddress{((milliseconds - 1) * kFramesPerSecond + 500) / 1000};
}

std::int64_t LengthToMilliseconds(FrameCount length) {
  return length.value * 1000 / kFramesPerSecond;
}

FrameCount FramesPlayedIn(std::chrono::microseconds elapsed) {
  if (elapsed.count() <= 0) return FrameCount{0};
  return FrameCount{elapsed.count() * kFramesPerSecond / 1'000'000};
}

std::chrono::microseconds PlayingTime(FrameCount count) {
  if (count.value <= 0) return std::chrono::microseconds{0};
  return std::chrono::microseconds{(count.value * 1'000'000 + kFramesPerSecond - 1) /
                                   kFramesPerSecond};
}

}  // namespace lyrabox::cdaudio
