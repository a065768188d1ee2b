// SPDX-License-Identifier: GPL-3.0-or-later
// Text for the system's wide-character calls.
#pragma once

#include <windows.h>

#include <string>

namespace lyrabox::windows {

// `text`, UTF-8 (the names of a disc, the spoken texts), as UTF-16.
inline std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

}  // namespace lyrabox::windows
