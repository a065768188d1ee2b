// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/disc_text.h"

namespace lyrabox::cdaudio {

namespace {

// Takes the first character off `text` when it starts with a valid UTF-8 sequence (no
// overlong form, no surrogate, nothing above U+10FFFF); nothing otherwise.
std::optional<char32_t> TakeCharacter(std::string_view& text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) {
    text.remove_prefix(1);
    return lead;
  }
  std::size_t length = 0;
  char32_t least = 0;  // below it, the sequence is overlong
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2, least = 0x80;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3, least = 0x800;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4, least = 0x10000;
  } else {
    return std::nullopt;
  }
  char32_t character = lead & (0x7f >> length);
  if (text.size() < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xc0) != 0x80) return std::nullopt;
    character = character << 6 | (byte(i) & 0x3f);
  }
  if (character < least || character > 0x10ffff || (character >= 0xd800 && character <= 0xdfff)) {
    return std::nullopt;
  }
  text.remove_prefix(length);
  return character;
}

bool IsUtf8(std::string_view text) {
  while (!text.empty()) {
    if (!TakeCharacter(text)) return false;
  }
  return true;
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xc0 | byte >> 6);
      text += static_cast<char>(0x80 | (byte & 0x3f));
    }
  }
  return text;
}

}  // namespace

std::string FieldFromBytes(std::string_view bytes) {
  return CleanField(IsUtf8(bytes) ? std::string(bytes) : Latin1ToUtf8(bytes));
}

std::optional<std::string> Latin1Of(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  while (!utf8.empty()) {
    const std::optional<char32_t> character = TakeCharacter(utf8);
    if (!character || *character > 0xff) return std::nullopt;
    bytes += static_cast<char>(*character);
  }
  return bytes;
}

}  // namespace lyrabox::cdaudio
