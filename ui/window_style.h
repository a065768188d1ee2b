// SPDX-License-Identifier: GPL-3.0-or-later
// The style the player's window is drawn in: the desktop's own, with two things left
// out. The menu's access letters are underlined only while Alt is held. And the menu
// bar makes a button for menus that do not fit, and gives it an icon read from a
// picture file; reading any picture file makes Qt load every image format plugin it
// has, a few milliseconds of the start. In this window, whose one menu always fits,
// that button never shows, so it gets no icon.
//
// Thread: the user-interface thread, once, before the window is made.
#pragma once

namespace lyrabox {

void UseWindowStyle();

}  // namespace lyrabox
