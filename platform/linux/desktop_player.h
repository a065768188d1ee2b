// The desktop's own CD player, which takes a disc that Lyrabox hands on when the
// hand-over program is not there.
//
// The players are the desktop's handlers for audio CDs (the content type
// x-content/audio-cdda), looked up through GIO as the desktop itself looks them up:
// the desktop entries of the XDG data folders, ordered by the choices of the
// mimeapps.list files (the default first, then the associations the user added).
// Lyrabox's own entries are left out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lyrabox::host {

inline constexpr const char* kAudioCdContentType = "x-content/audio-cdda";

// The location the desktop gives a CD player for the disc in the drive at the device
// node `node`: cdda://NAME/ for /dev/NAME, a link (/dev/cdrom) followed to its drive.
std::string CddaLocation(const std::string& node);

// Starts the first of the desktop's CD players that starts, with `location` (nothing
// when empty) and without waiting for it. Returns the id of its desktop entry
// ("player.desktop"), or nothing when there is none; a player that would not start
// is named in one line on standard error.
std::optional<std::string> StartDesktopCdPlayer(const std::string& location);

}  // namespace lyrabox::host
