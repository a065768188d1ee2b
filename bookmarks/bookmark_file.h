// SPDX-License-Identifier: GPL-3.0-or-later
// The bookmark file of a disc: where it lives and what it holds, byte for byte.
//
// One file per disc, named after the disc id, in the data directory: three records,
// track, minute and second, each a plain decimal number ended by CR LF. Pure text
// work; reading and writing the file is the caller's (through platform::Disks), with
// the one way of saving that every file of the data directory shares (SaveDataFile).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace lyrabox {

// The player's data directory, with its trailing backslash. Bookmark files live
// directly in it.
inline constexpr std::string_view kDataDirectory = "c:\\lyrabox\\";

// A position on the disc as a bookmark keeps it: the track, and the minute and second
// counted from the start of that track.
struct Bookmark {
  std::int16_t track = 0;
  std::int16_t minute = 0;
  std::int16_t second = 0;

  friend bool operator==(const Bookmark&, const Bookmark&) = default;
};

// The bookmark file of the disc with this id: "c:\lyrabox\" followed by the id, no
// extension ("c:\lyrabox\A1B2C3D").
std::string BookmarkPath(std::string_view discId);

// Replaces the file `path` of the data directory (or of a folder in it) with `content`,
// atomically (Disks::ReplaceFile); when its folder is missing, as on a fresh
// installation, makes it and the folders above it first. Throws what those throw.
void SaveDataFile(platform::Disks& disks, std::string_view path, std::string_view content);

// The file's content: "3\r\n12\r\n42\r\n" for track 3, minute 12, second 42.
std::string FormatBookmark(const Bookmark& bookmark);

// Reads three number fields (commas or line ends between them, leading blanks
// skipped, a field that is not a number reads as 0). Nothing when the content cannot
// be read as a bookmark: fewer than three fields, or a number beyond 16 bits.
std::optional<Bookmark> ParseBookmark(std::string_view content);

// The position a save keeps: three seconds before `position`, taken from the seconds
// alone (the minute never borrows) and never below 0.
Bookmark ThreeSecondsBack(Bookmark position);

}  // namespace lyrabox
