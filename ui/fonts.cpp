// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/fonts.h"

#include <QStringList>

namespace lyrabox {
namespace {

QFont Substitute(double points, bool bold) {
  QFont font;
  font.setFamilies(QStringList{kSubstituteFamily, kFallbackFamily});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  return font;
}

}  // namespace

QFont SansSerifFont(double points, bool bold) { return Substitute(points, bold); }
QFont ArialFont(double points, bool bold) { return Substitute(points, bold); }
QFont WindowDefaultFont() { return Substitute(kWindowDefaultPoints, false); }

}  // namespace lyrabox
