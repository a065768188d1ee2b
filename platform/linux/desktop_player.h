// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's own CD player, which takes a disc that Lyrabox hands on when the
// hand-over program is not there.
//
// The players are the desktop's handlers for audio CDs (the content type
// x-content/audio-cdda), looked up through GIO as the desktop itself looks them up:
// the desktop entries of the XDG data folders, ordered by the choices of the
// mimeapps.list files (the default first, then the associations the user added).
// Lyrabox's own entries are left out.
//
// GIO, and what it loads, is needed only on this hand-over, so it is a module
// (base/module.h), lyrabox-desktop.so, loaded then: a start that plays its disc never
// loads it.
#pragma once

#include <string>
#include <string_view>

namespace lyrabox::host {

inline constexpr const char* kAudioCdContentType = "x-content/audio-cdda";

inline constexpr char kDesktopPlayerModule[] = "lyrabox-desktop";
inline constexpr char kStartDesktopPlayerEntry[] = "lyrabox_start_desktop_cd_player";
// The module's entry: starts the first player that starts with `location`, and gives
// its id; false when none starts.
using StartDesktopPlayerEntry = bool(const std::string& location, std::string& id);

// The location the desktop gives a CD player for the disc in the drive at the device
// node `node`: cdda://NAME/ for /dev/NAME, a link (/dev/cdrom) followed to its drive.
std::string CddaLocation(const std::string& node);

// Starts the first of the desktop's CD players that starts, with `location` (nothing
// when empty) and without waiting for it. True when one started; false when none did,
// with `why` empty when the desktop has none set up and saying why its players could
// not be looked up at all when the module cannot be loaded. A player that would not
// start is named in one line on standard error.
bool StartDesktopCdPlayer(const std::string& location, std::string& why);

}  // namespace lyrabox::host
