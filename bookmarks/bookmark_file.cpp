// SPDX-License-Identifier: GPL-3.0-or-later
#include "bookmarks/bookmark_file.h"

#include <algorithm>

#include "platform/runtime_error.h"
#include "platform/text_fields.h"

namespace lyrabox {

std::string BookmarkPath(std::string_view discId) {
  return std::string(kDataDirectory) + std::string(discId);
}

void SaveDataFile(platform::Disks& disks, std::string_view path, std::string_view content) {
  try {
    disks.ReplaceFile(path, content);
  } catch (const RuntimeError& error) {
    if (error.number() != ErrorNumber::PathNotFound) throw;
    disks.CreateFolders(path.substr(0, path.rfind('\\')));
    disks.ReplaceFile(path, content);
  }
}

std::string FormatBookmark(const Bookmark& bookmark) {
  return NumberRecord(bookmark.track) + NumberRecord(bookmark.minute) +
         NumberRecord(bookmark.second);
}

std::optional<Bookmark> ParseBookmark(std::string_view content) {
  FieldReader reader(content);
  try {
    Bookmark bookmark;
    bookmark.track = reader.ReadInt16();
    bookmark.minute = reader.ReadInt16();
    bookmark.second = reader.ReadInt16();
    return bookmark;
  } catch (const RuntimeError&) {
    // A cut or damaged file is no bookmark rather than a reason to stop the player.
    return std::nullopt;
  }
}

Bookmark ThreeSecondsBack(Bookmark position) {
  position.second = static_cast<std::int16_t>(std::max(position.second - 3, 0));
  return position;
}

}  // namespace lyrabox
