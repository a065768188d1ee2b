// SPDX-License-Identifier: GPL-3.0-or-later
// Discs shared by the device tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cdaudio/table_of_contents.h"

namespace lyrabox::cdaudio::testing {

inline FrameAddress At(int minute, int second, int frame) {
  return kDiscOrigin + FromMsf(minute, second, frame);
}

// Tracks at 00:02:00, 04:17:32 and 09:05:70; lead-out at 13:20:10.
inline TableOfContents ThreeTrackDisc() {
  return *TableOfContents::Make(
      1, {{At(0, 2, 0)}, {At(4, 17, 32)}, {At(9, 5, 70)}}, At(13, 20, 10));
}

// The same disc cut to two tracks, its lead-out at 09:05:70.
inline TableOfContents TwoTrackDisc() {
  return *TableOfContents::Make(1, {{At(0, 2, 0)}, {At(4, 17, 32)}}, At(9, 5, 70));
}

}  // namespace lyrabox::cdaudio::testing
