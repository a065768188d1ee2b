// SPDX-License-Identifier: GPL-3.0-or-later
// The window's fonts. Its design names two Windows faces, "MS Sans Serif" and "Arial";
// on Linux both become Liberation Sans, which has Arial's metrics exactly (so the time
// display's digits fill it as designed) and reads close to the bitmap sans serif at
// the small sizes of the buttons. DejaVu Sans stands in when Liberation is missing.
#pragma once

#include <QFont>

#include "ui/layout/main_window_layout.h"

namespace lyrabox {

// The face used for both, first choice.
inline constexpr char kSubstituteFamily[] = "Liberation Sans";
inline constexpr char kFallbackFamily[] = "DejaVu Sans";
// The window's own font, which controls without a font of their own use.
inline constexpr double kWindowDefaultPoints = layout::kWindowDefaultPoints;

// Plain (not italic, underlined or struck out) fonts at `points`.
QFont SansSerifFont(double points, bool bold);  // for "MS Sans Serif"
QFont ArialFont(double points, bool bold);      // for "Arial"
QFont WindowDefaultFont();                      // regular weight

}  // namespace lyrabox
