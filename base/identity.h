// SPDX-License-Identifier: GPL-3.0-or-later
// Who the program is, to the user and to the desktop: said once, used by every face.
#pragma once

namespace lyrabox::identity {

// The application title: every box carries it, and the desktop's media controls show it.
inline constexpr char kTitle[] = "Lyrabox";
// The desktop entry's id (packaging/io.github.lyrabox.Lyrabox.desktop), which is also
// the prefix of the names the player gives on the session bus.
inline constexpr char kDesktopId[] = "io.github.lyrabox.Lyrabox";
// The well-known name of the player on the session bus (MPRIS 2).
inline constexpr char kBusName[] = "org.mpris.MediaPlayer2.lyrabox";

// What the "About" item of the "Options" menu shows: the version, the licence, and the
// credit for the names of discs and tracks. Plain ASCII, for every face's boxes.
inline constexpr char kAbout[] =
    "Lyrabox " LYRABOX_VERSION "\n"
    "An audio CD player that keeps a bookmark for each disc.\n"
    "\n"
    "Copyright 2026 The Lyrabox developers.\n"
    "Lyrabox is free software: you may share and change it under the GNU General Public "
    "License, version 3 or any later version (GPL-3.0-or-later). It comes with no "
    "warranty.\n"
    "\n"
    "Names of discs and tracks come from MusicBrainz (https://musicbrainz.org), the open "
    "music encyclopedia, whose data is in the public domain (CC0).";

}  // namespace lyrabox::identity
