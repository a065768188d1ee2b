// SPDX-License-Identifier: GPL-3.0-or-later
// Places and lengths on an audio CD, and the one place where the 75-frames-a-second
// arithmetic lives. A frame (a sector) is 1/75 s of audio: 588 stereo samples.
//
// Two kinds of number never mix by accident: a FrameAddress is a place on the disc,
// a FrameCount a distance or a length. Addresses count from the very start of the
// disc, lead-in included, as the table of contents gives them (libcdio's lba_t), so
// track 1 of a normal disc is at 150, that is 00:02:00.
#pragma once

#include <chrono>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lyrabox::cdaudio {

inline constexpr std::int64_t kFramesPerSecond = 75;
inline constexpr std::int64_t kFramesPerMinute = 60 * kFramesPerSecond;
// Where track 1 of a normal disc starts: after two seconds of lead-in.
inline constexpr std::int64_t kLeadInFrames = 2 * kFramesPerSecond;

// Audio in one frame: 588 samples for each of the two channels, 16 bits each.
inline constexpr std::size_t kSamplesPerFrame = 588;
inline constexpr std::size_t kChannels = 2;
inline constexpr std::size_t kInterleavedSamplesPerFrame = kSamplesPerFrame * kChannels;
inline constexpr std::size_t kBytesPerFrame = kInterleavedSamplesPerFrame * 2;  // 2352
inline constexpr std::int64_t kSampleRate = kSamplesPerFrame * kFramesPerSecond;  // 44100

struct FrameCount {
  std::int64_t value = 0;
  friend constexpr auto operator<=>(FrameCount, FrameCount) = default;
  friend constexpr FrameCount operator+(FrameCount a, FrameCount b) { return {a.value + b.value}; }
  friend constexpr FrameCount operator-(FrameCount a, FrameCount b) { return {a.value - b.value}; }
};

struct FrameAddress {
  std::int64_t value = 0;
  friend constexpr auto operator<=>(FrameAddress, FrameAddress) = default;
  friend constexpr FrameAddress operator+(FrameAddress a, FrameCount n) { return {a.value + n.value}; }
  friend constexpr FrameAddress operator-(FrameAddress a, FrameCount n) { return {a.value - n.value}; }
  friend constexpr FrameCount operator-(FrameAddress a, FrameAddress b) { return {a.value - b.value}; }
};

// The very start of the disc, before the lead-in: address 0 is 00:00:00.
inline constexpr FrameAddress kDiscOrigin{0};

// Minutes, seconds and frames of a count (for an address: of its distance from
// kDiscOrigin). Seconds are 0-59 and frames 0-74; minutes go as high as needed.
struct Msf {
  std::int64_t minute = 0;
  std::int64_t second = 0;
  std::int64_t frame = 0;
  friend constexpr bool operator==(const Msf&, const Msf&) = default;
};

Msf ToMsf(FrameCount count);
inline Msf ToMsf(FrameAddress address) { return ToMsf(address - kDiscOrigin); }
// Fields need not be normalised: 1 minute 90 seconds is 150 seconds.
FrameCount FromMsf(std::int64_t minute, std::int64_t second, std::int64_t frame);

// A number in at least two digits ("03", "12", "123").
std::string TwoDigits(std::int64_t value);
// "mm:ss:ff", each field in at least two digits.
std::string FormatMsf(const Msf& msf);

// Milliseconds, as the device counts them in its millisecond time format. A position
// reads frames x 1000 / 75 rounded down, plus one (track 1 at 00:02:00 reads 2001); a
// position given in milliseconds means the frame ((v - 1) x 75 + 500) / 1000. The two
// are each other's inverse for every frame.
std::int64_t PositionToMilliseconds(FrameAddress address);
FrameAddress MillisecondsToPosition(std::int64_t milliseconds);
// A length in milliseconds: frames x 1000 / 75, rounded down.
std::int64_t LengthToMilliseconds(FrameCount length);

// Whole frames that play in `elapsed` (rounded down), and how long `count` frames take
// to play (rounded up, so that waiting that long covers them all).
FrameCount FramesPlayedIn(std::chrono::microseconds elapsed);
std::chrono::microseconds PlayingTime(FrameCount count);

}  // namespace lyrabox::cdaudio
