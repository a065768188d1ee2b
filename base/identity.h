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

}  // namespace lyrabox::identity
