// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed texts and counts of start-up and of the start by AutoPlay. Paths and
// command lines are in the player's own Windows form; the host maps them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bookmarks/bookmark_file.h"  // kDataDirectory, shared with the bookmark files

namespace lyrabox::fixed {

// The drive-setting file; its first field is the CD drive's root path.
inline const std::string kDriveSettingFile = std::string(kDataDirectory) + "lbx.ini";
// The mark in the argument text that says the desktop started us for an inserted disc.
inline constexpr std::string_view kAutoPlayMark = "/Play";

// The other CD player, which gets every disc that has no bookmark. Its drive letters
// are fixed; they do not follow the drive setting.
inline constexpr std::string_view kPlayerCommandLine =
    "E:\\program files\\Plus!\\DeluxeCD\\deluxecd.exe /play G:\\";
// The kill steps only make sense while the other player is that program.
inline constexpr std::string_view kPlayerProgramName = "deluxecd.exe";

// The kill program, which closes the other player's window again once started.
inline const std::string kKillProgramFile = std::string(kDataDirectory) + "killapp.exe";
inline const std::string kKillCommandLine =
    std::string(kDataDirectory) + "killapp MMFRAME* *Deluxe*";

// Busy pauses, in counting steps: before a disc is handed over, and after each start
// of the kill program.
inline constexpr std::uint32_t kHandOverPauseSteps = 999'999;
inline constexpr std::uint32_t kKillPauseSteps = 99'999;

}  // namespace lyrabox::fixed
