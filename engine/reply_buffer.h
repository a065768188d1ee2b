// SPDX-License-Identifier: GPL-3.0-or-later
// Fixed-length reply buffers and the conversions of the status-query convention.
//
// A buffer keeps its content from one query to the next: a reply is written at its
// start and ended by a NUL, and behind that NUL the older content stays. Readers
// take the reply whole (up to the first NUL) or as slices at fixed 1-based
// character positions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace lyrabox {

template <std::size_t Length>
struct ReplyBuffer {
  static constexpr std::size_t kLength = Length;
  std::array<char, Length> chars{};  // starts as Length NUL characters

  // The characters before the first NUL (all of them when there is none).
  std::string Whole() const {
    std::string_view all(chars.data(), Length);
    return std::string(all.substr(0, all.find('\0')));
  }
  // `count` characters from the 1-based position `first`, NULs included.
  std::string_view Slice(std::size_t first, std::size_t count) const {
    return std::string_view(chars.data(), Length).substr(first - 1, count);
  }
};

// A slice read as a 16-bit number: decimal text that ends at the slice's first NUL
// ("05" gives 5, "9" and a NUL give 9). Blanks around the number and a sign are
// accepted. Throws "Type mismatch" when the slice holds no number and "Overflow"
// when the number does not fit.
std::int16_t SliceToInt16(std::string_view slice);

// A reply taken whole as a truth value: "true" or "false" in any letter case, or a
// number (true unless 0). Throws "Type mismatch" for anything else, empty included.
bool TextToTruth(std::string_view text);

// A text read as a number in the language's sense: blanks around, an optional sign,
// digits with at most one decimal point, an optional exponent. Nothing when the text
// is not such a number (empty included).
std::optional<double> ReadNumber(std::string_view text);

// A number rounded to a 32-bit signed whole number, a half to the even neighbour.
// Throws "Overflow" when the result lies outside the 32-bit range.
std::int32_t RoundToInt32(double value);

// A text converted to a 32-bit whole number: "Type mismatch" when it is not a
// number, "Overflow" when out of range.
std::int32_t TextToInt32(std::string_view text);

// A number in decimal, zero-padded to at least two digits ("05", "100").
std::string TwoDigits(long long value);

// A position in the device's TMSF time format: track, minute, second.
struct TmsfPosition {
  std::int16_t track = 0;
  std::int16_t minute = 0;
  std::int16_t second = 0;
};

// The position as the device takes it in a command: each number in at least two
// digits ("03:12:45"; 100 stays 100).
std::string TmsfText(long long track, long long minute, long long second);

// The three fields at the fixed places 1-2, 4-5 and 7-8 of a time text as the device
// writes it: track, minute and second of a TMSF position ("03:02:41:07"); minute,
// second and frame of a length ("04:10:00"). Each is read as SliceToInt16 reads it,
// so with its errors (a field past the text's end is no number); what follows the
// eighth character is not looked at.
std::array<std::int16_t, 3> SliceTimeFields(std::string_view text);

// Whether `text` starts with three such fields of two digits each ("dd:dd:dd"), which
// SliceTimeFields then reads without error.
bool StartsWithTimeFields(std::string_view text);

// A length as the device writes it, "mm:ss:ff"; nothing for any other text.
std::optional<Frames> LengthOfText(std::string_view text);

// The track, minute and second of a TMSF reply, frames ignored (SliceTimeFields).
template <std::size_t N>
TmsfPosition SliceTmsf(const ReplyBuffer<N>& reply) {
  const auto [track, minute, second] = SliceTimeFields(std::string_view(reply.chars.data(), N));
  return {track, minute, second};
}

}  // namespace lyrabox
