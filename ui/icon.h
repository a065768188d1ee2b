// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon: a silver disc with rainbow reflections and a white card with
// lines of text over its upper right part, 32 x 32 pixels in 16 colours. Its picture
// is ui/lyrabox_icon.xpm; the PNGs under packaging/icons are rendered from it.
#pragma once

#include <QIcon>
#include <QImage>

namespace lyrabox {

// The 32 x 32 picture itself (ARGB32, transparent around the disc).
QImage LyraboxIconImage();
// The window icon: the picture, and the picture doubled without smoothing.
QIcon LyraboxIcon();

}  // namespace lyrabox
