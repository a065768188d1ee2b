#include "ui/icon.h"

#include <QPixmap>

#include "ui/lyrabox_icon.xpm"

namespace lyrabox {

QImage LyraboxIconImage() {
  return QImage(lyrabox_xpm).convertToFormat(QImage::Format_ARGB32);
}

QIcon LyraboxIcon() {
  const QImage picture = LyraboxIconImage();
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(picture));
  // Pixel doubling keeps the hard-edged 16-colour look where a desktop wants more.
  for (int scale : {2, 4}) {
    icon.addPixmap(QPixmap::fromImage(
        picture.scaled(picture.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
  }
  return icon;
}

}  // namespace lyrabox
