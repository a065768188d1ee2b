// SPDX-License-Identifier: GPL-3.0-or-later
// How the main window (Form1) looks: its title, client size, timer, menu and every
// control's place, caption, font and state at start, in tab order. One table that both
// windows build from (the Qt window in ui/, the native Windows window in ui/windows/),
// so they cannot drift.
//
// Positions and sizes are in twips (1/1440 inch) from the top left corner of the
// client area; PixelsAt turns them into pixels for a screen's dots per inch.
// Plain C++: no toolkit and no system headers.
#pragma once

#include <array>

#include "engine/window.h"

namespace lyrabox::layout {

inline constexpr char kTitle[] = "Lyrabox  Version 1.00";
inline constexpr int kClientWidth = 5085;
inline constexpr int kClientHeight = 1950;
inline constexpr int kPollIntervalMs = 1000;
// The menu and its items can be reached from the keyboard: "&" marks the letter of
// each that chooses it (Alt+O opens the menu, then F or A), in both toolkits. The
// buttons' captions define no such letter.
inline constexpr char kOptionsMenu[] = "&Options";
inline constexpr char kFfspeedItem[] = "&Fast forward speed";
// Below "Fast forward speed": the version, the licence and the names' credit.
inline constexpr char kAboutItem[] = "&About";

// The two faces the design names, and the window's own font for controls without one.
enum class Face { SansSerif, Arial, WindowDefault };
inline constexpr char kSansSerifFace[] = "MS Sans Serif";
inline constexpr char kArialFace[] = "Arial";
inline constexpr double kWindowDefaultPoints = 8.25;

enum class Kind { TextBox, Button, Label };

struct ControlLayout {
  Control control;
  Kind kind;
  int left, top, width, height;  // twips
  const char* caption;           // "&&" draws one ampersand, in both toolkits
  Face face;
  double points;
  bool bold;
  // At start: every button waits for the poll to find a disc; the time display is
  // never enabled, so that it takes neither the focus nor typing.
  bool enabled;
};

// The controls in tab order (tab index 0 first).
inline constexpr std::array<ControlLayout, 12> kControls{{
    {Control::timeWindow, Kind::TextBox, 120, 0, 2055, 735, "", Face::Arial, 18, true, false},
    {Control::play, Kind::Button, 2280, 0, 1455, 375, ">", Face::SansSerif, 13.5, true, false},
    {Control::pause, Kind::Button, 3720, 0, 495, 375, "||", Face::SansSerif, 12, true, false},
    {Control::stopbtn, Kind::Button, 4200, 0, 495, 375, "x", Face::SansSerif, 13.5, true, false},
    {Control::btrack, Kind::Button, 2280, 360, 495, 375, "|<<", Face::SansSerif, 9.75, true, false},
    {Control::ftrack, Kind::Button, 2760, 360, 495, 375, ">>|", Face::SansSerif, 9.75, true, false},
    {Control::rew, Kind::Button, 3240, 360, 495, 375, "<<", Face::SansSerif, 9.75, true, false},
    {Control::ff, Kind::Button, 3720, 360, 495, 375, ">>", Face::SansSerif, 9.75, true, false},
    {Control::eject, Kind::Button, 4200, 360, 495, 375, "ejc", Face::SansSerif, 9.75, true, false},
    {Control::totalplay, Kind::Label, 120, 960, 2655, 255, "", Face::WindowDefault,
     kWindowDefaultPoints, false, true},
    {Control::tracktime, Kind::Label, 2880, 960, 1815, 255, "", Face::WindowDefault,
     kWindowDefaultPoints, false, true},
    {Control::Bookmark, Kind::Button, 1680, 1440, 1695, 375, "Stop && Bookmark",
     Face::WindowDefault, kWindowDefaultPoints, false, false},
}};

// The whole pixels that `twips` make at `dotsPerInch` (15 twips a pixel at 96).
constexpr int PixelsAt(int twips, int dotsPerInch) { return twips * dotsPerInch / 1440; }

}  // namespace lyrabox::layout
