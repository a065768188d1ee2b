// SPDX-License-Identifier: GPL-3.0-or-later
// A session without a session bus stays without one. When no bus is named and none is
// where the session's service manager puts it, libdbus would start a bus of its own
// for the display (dbus-launch --autolaunch), a process that outlives the player, and
// Qt asks for the session bus as soon as a window is shown (its accessibility bridge).
//
// Thread: the user-interface thread, once, after the QApplication is made and before
// anything asks for the session bus.
#pragma once

namespace lyrabox {

// Makes Qt's session bus connection now, as one that failed at once, when there is no
// session bus; does nothing when there is one. The environment is as it was after.
void PreventSessionBusAutolaunch();

}  // namespace lyrabox
