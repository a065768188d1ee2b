// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: a bookmark file's content into the reader the player uses. What
// it reads must be written back to the same bookmark.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "bookmarks/bookmark_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  if (const auto bookmark = lyrabox::ParseBookmark(content)) {
    if (lyrabox::ParseBookmark(lyrabox::FormatBookmark(*bookmark)) != bookmark) __builtin_trap();
  }
  return 0;
}
