// SPDX-License-Identifier: GPL-3.0-or-later
// The icon: its size and colours, and the PNGs the desktop installs being renderings
// of the same picture (they are made by packaging/icons/render-icons.sh).
#include <QColor>
#include <QImage>
#include <QSet>
#include <filesystem>

#include <gtest/gtest.h>

#include "ui/icon.h"

namespace lyrabox::testing {
namespace {

// Given by the build: __FILE__ is relative when ccache rewrites paths to share its
// cache between trees, and would then depend on where the test runs.
const std::filesystem::path kSourceRoot = LYRABOX_SOURCE_DIR;

QImage InstalledIcon(int size) {
  const auto path = kSourceRoot / "packaging/icons/hicolor" /
                    (std::to_string(size) + "x" + std::to_string(size)) / "apps/lyrabox.png";
  return QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_ARGB32);
}

TEST(Icon, IsThirtyTwoPixelsInSixteenColoursWithATransparentSurround) {
  const QImage icon = LyraboxIconImage();
  ASSERT_EQ(icon.size(), QSize(32, 32));
  QSet<QRgb> colours;
  int transparent = 0;
  for (int y = 0; y < icon.height(); ++y) {
    for (int x = 0; x < icon.width(); ++x) {
      const QRgb pixel = icon.pixel(x, y);
      if (qAlpha(pixel) == 0) {
        ++transparent;
      } else {
        EXPECT_EQ(qAlpha(pixel), 255) << x << "," << y;  // a mask, no blending
        colours.insert(pixel);
      }
    }
  }
  EXPECT_LE(colours.size(), 16);
  // A disc and a card, not a full square: corners and the centre hole show through.
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(0, 31)), 0);
  EXPECT_GT(transparent, 50);
  // The card over the upper right part is white.
  EXPECT_EQ(icon.pixel(28, 3), qRgb(255, 255, 255));
}

TEST(Icon, InstalledPngsAreThePictureAtOneAndFourTimesTheSize) {
  const QImage picture = LyraboxIconImage();
  const QImage small = InstalledIcon(32);
  ASSERT_FALSE(small.isNull()) << "packaging/icons/render-icons.sh has not been run";
  EXPECT_EQ(small, picture);

  const QImage large = InstalledIcon(128);
  ASSERT_EQ(large.size(), QSize(128, 128));
  EXPECT_EQ(large, picture.scaled(128, 128, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

}  // namespace
}  // namespace lyrabox::testing
