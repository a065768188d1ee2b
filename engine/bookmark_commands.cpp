// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and saving the current disc's bookmark, the "Stop && Bookmark" button and
// the close prompt.
//
// Saving never loses a bookmark: a position that could not be read is not written, a
// write goes through an atomic replace, and each failure is told in one box instead
// of ending the program.
#include <optional>
#include <string>

#include "bookmarks/bookmark_file.h"
#include "bookmarks/disc_id.h"
#include "engine/player.h"
#include "platform/runtime_error.h"

namespace lyrabox {
namespace {

constexpr std::string_view kNoPositionMessage =
    "The bookmark was not saved: the CD drive did not report a position.";

}  // namespace

bool Player::ReadBookmark() {
  std::string path = BookmarkPath(GetDiscId(platform_.disks, CdDrive));
  if (!platform_.disks.OrdinaryFileExists(path)) return false;

  std::optional<Bookmark> bookmark;
  try {
    bookmark = ParseBookmark(platform_.disks.ReadTextFile(path));
  } catch (const RuntimeError&) {
    // Gone or unreadable since the presence test: as good as no bookmark.
    return false;
  }
  if (!bookmark) return false;
  state.BmTrack = bookmark->track;
  state.BmMin = bookmark->minute;
  state.BmSec = bookmark->second;
  return true;
}

bool Player::BookMarkSave() {
  std::string path = BookmarkPath(GetDiscId(platform_.disks, CdDrive));

  // Only a reply that this very query wrote may be saved: a failed query would
  // otherwise leave an earlier save's position in the buffer to be saved again.
  BookmarkReply.chars.fill('\0');
  platform::MciResult result = StatusQuery(command::kPosition, BookmarkReply);
  if (result != 0) {
    ReplyBuffer<200> deviceText;
    std::string message(kNoPositionMessage);
    if (platform_.device.GetErrorString(result, deviceText.chars.data(),
                                        static_cast<std::uint32_t>(deviceText.kLength)) &&
        !deviceText.Whole().empty()) {
      message += "\n\n" + deviceText.Whole();
    }
    platform_.boxes.Message(message);
    return false;
  }
  // Anything but a TMSF position "tt:mm:ss" (an empty reply, a mode word, a count of
  // milliseconds) is no position to keep.
  if (!StartsWithTimeFields(BookmarkReply.Whole())) {
    platform_.boxes.Message(kNoPositionMessage);
    return false;
  }

  const TmsfPosition read = SliceTmsf(BookmarkReply);
  Bookmark bookmark = ThreeSecondsBack(Bookmark{read.track, read.minute, read.second});
  std::string content = FormatBookmark(bookmark);

  try {
    // A fresh installation has no data directory yet; its first bookmark makes it.
    SaveDataFile(platform_.disks, path, content);
  } catch (const RuntimeError& error) {
    platform_.boxes.Message("The bookmark was not saved: " + path + " could not be written (" +
                            error.message() + ").");
    return false;
  }

  state.BmTrack = bookmark.track;
  state.BmMin = bookmark.minute;
  state.BmSec = bookmark.second;
  return true;
}

void Player::StopAndBookmark() {
  BookMarkSave();
  SendMci(command::kStopWait, true);
}

void Player::ClosePrompt() {
  if (!state.Playing) return;
  if (platform_.boxes.Question("Bookmark & Save before Closing ?")) BookMarkSave();
}

}  // namespace lyrabox
