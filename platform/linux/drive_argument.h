// SPDX-License-Identifier: GPL-3.0-or-later
// The drive the desktop names when it starts the player for an inserted disc.
//
// The AutoPlay desktop entry passes the inserted disc's location after "/Play": a
// URI such as cdda://sr1/ or file:///media/me/DISC, or a path such as /dev/sr1, a
// mount point or the desktop's own mount of the disc (.../gvfs/cdda:host=sr1). That
// location is the host's, not the logic's: it is taken out of the arguments before
// the logic searches them for "/Play", so a mount point named like
// /media/me/Playlists cannot start the AutoPlay path by itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lyrabox::host {

struct PlayerArguments {
  std::vector<std::string> logic;  // the arguments the logic sees, in order
  std::string drive;               // the device node of the named drive, or empty
};

// Takes the locations out of `arguments`. An argument is a location when it is a
// cdda: or file: URI, or an absolute path with more than one part ("/dev/sr1") or
// one that exists (a one-word switch such as "/Play" is neither). The first location
// that names a drive gives `drive`: cdda://NAME/ and cdda:host=NAME give /dev/NAME, a
// path under /dev/ is itself, and a mount point gives the device mounted there (the
// last mount of it in `mounts`, the text of /proc/self/mounts).
PlayerArguments TakeDriveArgument(std::vector<std::string> arguments, std::string_view mounts);

// TakeDriveArgument for the program's own arguments (after its name), with this
// process's mounts.
PlayerArguments PlayerArgumentsOf(int argc, char** argv);

}  // namespace lyrabox::host
