// SPDX-License-Identifier: GPL-3.0-or-later
// The names found for discs, kept so that a disc is asked about once: one small JSON
// file per disc in the folder "names" of the player's data folder ("c:\lyrabox\names\",
// on Linux $LYRABOX_HOME/drive_c/lyrabox/names/), named after the disc's MusicBrainz
// disc id. The bookmark files beside it are untouched: they are files of the data
// folder itself, named after the volume serial number.
//
//   {"disc": "<disc id>", "album": {"title": "...", "performer": "..."},
//    "tracks": [{"number": 1, "title": "...", "performer": "..."}, ...]}
//
// The disc id is written inside too: the host finds files without regard to letter
// case, and two ids may differ in case alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/disc_text.h"
#include "platform/platform.h"

namespace lyrabox::names {

// The cache file of `discId` in the player's Windows form, or "" for an id that is
// no MusicBrainz disc id (it would not make a safe file name).
std::string CacheFile(const std::string& discId);

// The names kept for `discId`; nothing when none are kept or the file is unreadable.
std::optional<DiscText> ReadCachedNames(platform::Disks& disks, const std::string& discId);

// The names that a cache file's `content` keeps for `discId`; nothing when it keeps
// none for it (another disc's file, or no JSON of the shape above).
std::optional<DiscText> NamesFromCacheFile(std::string_view content, const std::string& discId);
// The content of the cache file that keeps `names` for `discId`.
std::string CacheFileContent(const std::string& discId, const DiscText& names);

// Keeps `names` for `discId`, replacing the file atomically; makes the folder when it
// is missing. False when it cannot be written (the names then only last this run).
bool CacheNames(platform::Disks& disks, const std::string& discId, const DiscText& names);

}  // namespace lyrabox::names
