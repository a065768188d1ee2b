// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/reply_buffer.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <string>

#include "base/ascii.h"
#include "platform/runtime_error.h"

namespace lyrabox {
namespace {

using ascii::EqualsIgnoringCase;
using ascii::IsDigit;
using ascii::TrimBlanks;

// The power of ten of the first significant digit of a number text that has one:
// 2 for "123.4", -3 for "0.00123", 0 for "5e0", -400 for "1e-400". Saturates instead
// of overflowing for absurdly long exponents.
long long DecimalMagnitude(std::string_view number) {
  std::size_t exponentAt = number.find('e');
  std::string_view mantissa = number.substr(0, exponentAt);
  long long exponent = 0;
  if (exponentAt != std::string_view::npos) {
    std::string_view digits = number.substr(exponentAt + 1);
    bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000LL);
    if (negative) exponent = -exponent;
  }
  std::size_t integerDigits = 0;
  for (std::size_t i = 0; i < mantissa.size() && mantissa[i] != '.'; ++i) {
    if (IsDigit(mantissa[i])) ++integerDigits;
  }
  // The power of ten of the digit being looked at, from the first one on.
  long long place = static_cast<long long>(integerDigits) - 1;
  for (char c : mantissa) {
    if (!IsDigit(c)) continue;
    if (c != '0') return place + exponent;
    --place;
  }
  return exponent;  // all zeros: never out of range, but answer sensibly
}

}  // namespace

std::optional<double> ReadNumber(std::string_view text) {
  std::string_view core = TrimBlanks(text);
  std::string number;  // the core without a leading '+', which from_chars refuses
  std::size_t i = 0;
  if (i < core.size() && (core[i] == '+' || core[i] == '-')) {
    if (core[i] == '-') number += '-';
    ++i;
  }
  std::size_t digits = 0;
  bool point = false;
  for (; i < core.size(); ++i) {
    if (IsDigit(core[i])) {
      ++digits;
    } else if (core[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
    number += core[i];
  }
  if (digits == 0) return std::nullopt;
  if (i < core.size() && (core[i] == 'e' || core[i] == 'E')) {
    number += 'e';
    ++i;
    if (i < core.size() && (core[i] == '+' || core[i] == '-')) number += core[i++];
    std::size_t exponentDigits = 0;
    for (; i < core.size() && IsDigit(core[i]); ++i, ++exponentDigits) number += core[i];
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != core.size()) return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (end != number.data() + number.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // Beyond a double either way: too large is far outside every range the player
    // uses, too small to tell from zero is zero.
    bool negative = number[0] == '-';
    if (DecimalMagnitude(number) < 0) return negative ? -0.0 : 0.0;
    return negative ? -HUGE_VAL : HUGE_VAL;
  }
  return value;
}

std::int32_t RoundToInt32(double value) {
  // nearbyint rounds a half to the even neighbour in the default rounding mode.
  double rounded = std::nearbyint(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
    throw RuntimeError(ErrorNumber::Overflow);
  }
  return static_cast<std::int32_t>(rounded);
}

std::int32_t TextToInt32(std::string_view text) {
  std::optional<double> number = ReadNumber(text);
  if (!number) throw RuntimeError(ErrorNumber::TypeMismatch);
  return RoundToInt32(*number);
}

std::int16_t SliceToInt16(std::string_view slice) {
  std::int32_t value = TextToInt32(slice.substr(0, slice.find('\0')));
  if (value < -32768 || value > 32767) throw RuntimeError(ErrorNumber::Overflow);
  return static_cast<std::int16_t>(value);
}

std::array<std::int16_t, 3> SliceTimeFields(std::string_view text) {
  const auto field = [text](std::size_t first) {
    return SliceToInt16(first < text.size() ? text.substr(first, 2) : std::string_view());
  };
  return {field(0), field(3), field(6)};
}

bool StartsWithTimeFields(std::string_view text) {
  if (text.size() < 8) return false;
  for (std::size_t i : {0, 1, 3, 4, 6, 7}) {
    if (!IsDigit(text[i])) return false;
  }
  return text[2] == ':' && text[5] == ':';
}

std::optional<Frames> LengthOfText(std::string_view text) {
  if (text.size() != 8 || !StartsWithTimeFields(text)) return std::nullopt;
  const auto [minutes, seconds, frames] = SliceTimeFields(text);
  return std::chrono::minutes(minutes) + std::chrono::seconds(seconds) + Frames(frames);
}

bool TextToTruth(std::string_view text) {
  std::string_view word = TrimBlanks(text);
  if (EqualsIgnoringCase(word, "true")) return true;
  if (EqualsIgnoringCase(word, "false")) return false;
  std::optional<double> number = ReadNumber(word);
  if (!number) throw RuntimeError(ErrorNumber::TypeMismatch);
  return *number != 0;
}

std::string TwoDigits(long long value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

std::string TmsfText(long long track, long long minute, long long second) {
  return TwoDigits(track) + ":" + TwoDigits(minute) + ":" + TwoDigits(second);
}

}  // namespace lyrabox
