// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/text_fields.h"

#include "base/ascii.h"
#include "platform/runtime_error.h"

namespace lyrabox {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

void FieldReader::SkipToField() {
  while (at_ < text_.size() && (ascii::IsBlank(text_[at_]) || IsLineEnd(text_[at_]))) ++at_;
}

bool FieldReader::AtEnd() {
  SkipToField();
  return at_ >= text_.size();
}

void FieldReader::SkipSeparator() {
  if (at_ >= text_.size()) return;
  if (text_[at_] == ',') {
    ++at_;
  } else if (text_[at_] == '\r') {
    ++at_;
    if (at_ < text_.size() && text_[at_] == '\n') ++at_;
  } else if (text_[at_] == '\n') {
    ++at_;
  }
}

std::string_view FieldReader::TakeRawField() {
  std::size_t start = at_;
  while (at_ < text_.size() && text_[at_] != ',' && !IsLineEnd(text_[at_])) ++at_;
  std::string_view field = text_.substr(start, at_ - start);
  SkipSeparator();
  return field;
}

std::string FieldReader::ReadText() {
  if (AtEnd()) throw RuntimeError(ErrorNumber::InputPastEndOfFile);
  if (text_[at_] == '"') {
    std::size_t close = text_.find('"', at_ + 1);
    if (close == std::string_view::npos) close = text_.size();
    std::string value(text_.substr(at_ + 1, close - at_ - 1));
    at_ = close < text_.size() ? close + 1 : close;
    TakeRawField();  // whatever stands between the closing quote and the separator
    return value;
  }
  return std::string(TakeRawField());
}

std::int16_t FieldReader::ReadInt16() {
  if (AtEnd()) throw RuntimeError(ErrorNumber::InputPastEndOfFile);
  std::string_view field = TakeRawField();
  std::size_t i = 0;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) {
    negative = field[i] == '-';
    ++i;
  }
  long value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = value * 10 + (field[i] - '0');
    if (value > 32768) throw RuntimeError(ErrorNumber::Overflow);
  }
  if (negative) value = -value;
  if (value > 32767 || value < -32768) throw RuntimeError(ErrorNumber::Overflow);
  return static_cast<std::int16_t>(value);
}

std::string NumberRecord(long long value) { return std::to_string(value) + "\r\n"; }

}  // namespace lyrabox
