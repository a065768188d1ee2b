// SPDX-License-Identifier: GPL-3.0-or-later
// Positions and lengths in the device's three time formats: what a position in a
// command means on a given disc, and how positions and lengths are written in replies.
#pragma once

#include <string>
#include <variant>

#include "cdaudio/command_parser.h"
#include "cdaudio/frames.h"
#include "cdaudio/result_codes.h"
#include "cdaudio/table_of_contents.h"

namespace lyrabox::cdaudio {

// The place on `toc` that `text` names in `format`, or the refusal:
// - TMSF: a bare number is the start of that track; fields are track, minutes,
//   seconds, frames within that track.
// - MSF: a bare number is minutes; fields are minutes, seconds, frames on the disc.
// - Milliseconds: a bare number only, counted from the start of the disc.
// A track not on the disc, or a place before the first track or at or past the
// lead-out, is out of range; fields where the format has no room for them are a bad
// integer.
std::variant<FrameAddress, ResultCode> ResolvePosition(const PositionText& text,
                                                       TimeFormat format,
                                                       const TableOfContents& toc);

// "tt:mm:ss:ff" (within its track), "mm:ss:ff" (on the disc) or milliseconds.
std::string FormatPosition(FrameAddress address, TimeFormat format, const TableOfContents& toc);

// "mm:ss:ff" in MSF and TMSF alike; milliseconds in the millisecond format.
std::string FormatLength(FrameCount length, TimeFormat format);

}  // namespace lyrabox::cdaudio
