// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/icon.h"

#include <QPixmap>

#include "ui/lyrabox_icon.xpm"

namespace lyrabox {

QImage LyraboxIconImage() {
  return QImage(lyrabox_xpm).convertToFormat(QImage::Format_ARGB32);
}

namespace {

// Each pixel of `picture` as a square of `factor` x `factor` pixels. By hand: QImage's
// own scaling draws through the raster engine, which starts a pool of threads for it,
// a few milliseconds of the player's start.
QImage Enlarged(const QImage& picture, int factor) {
  QImage large(picture.size() * factor, QImage::Format_ARGB32);
  for (int y = 0; y < large.height(); ++y) {
    const auto* from = reinterpret_cast<const QRgb*>(picture.constScanLine(y / factor));
    auto* to = reinterpret_cast<QRgb*>(large.scanLine(y));
    for (int x = 0; x < large.width(); ++x) to[x] = from[x / factor];
  }
  return large;
}

}  // namespace

QIcon LyraboxIcon() {
  const QImage picture = LyraboxIconImage();
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(picture));
  // Pixel doubling keeps the hard-edged 16-colour look where a desktop wants more.
  // Only once: every size goes to the display with the window, and each takes time
  // before the window shows (the desktop's own, larger, icons are the installed ones).
  icon.addPixmap(QPixmap::fromImage(Enlarged(picture, 2)));
  return icon;
}

}  // namespace lyrabox
