// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader says for each button of the main window: its accessible name
// and description, in words, beside the captions of the layout table
// (main_window_layout.h), for both windows. A caption may be a sign (">", "||"); the
// name is the word a listener hears ("Play", "Pause"). The displays are named from the
// player's view instead (engine/spoken.h), since what they say changes as the disc
// plays.
// Plain C++: no toolkit and no system headers.
#pragma once

#include <array>
#include <chrono>
#include <string>
#include <string_view>

#include "engine/spoken.h"
#include "engine/window.h"

namespace lyrabox::layout {

struct AccessibleText {
  Control control;
  const char* name;
  // "{step}" stands for the fast-forward step in words ("5 seconds"), which the
  // "Fast forward speed" item changes.
  const char* description;
};

inline constexpr char kStepPlaceholder[] = "{step}";

// The buttons, in tab order.
inline constexpr std::array<AccessibleText, 9> kAccessibleTexts{{
    {Control::play, "Play", "Plays the disc; offers to start at the disc's bookmark first"},
    {Control::pause, "Pause", "Pauses the disc; Play goes on from there"},
    {Control::stopbtn, "Stop", "Stops the disc; asks first whether to bookmark the place"},
    {Control::btrack, "Previous track",
     "Goes to the start of this track, or within its first second to the one before"},
    {Control::ftrack, "Next track", "Goes to the next track; from the last, back to the first"},
    {Control::rew, "Rewind", "Moves back {step}"},
    {Control::ff, "Fast forward", "Moves forward {step}"},
    {Control::eject, "Eject", "Opens the drive"},
    {Control::Bookmark, "Stop & Bookmark", "Bookmarks the place, then stops the disc"},
}};

// The description of `text` with the fast-forward step `step` filled in.
inline std::string AccessibleDescription(const AccessibleText& text, std::chrono::seconds step) {
  std::string description = text.description;
  const std::size_t at = description.find(kStepPlaceholder);
  if (at != std::string::npos) {
    description.replace(at, std::string_view(kStepPlaceholder).size(), SpokenDuration(step));
  }
  return description;
}

}  // namespace lyrabox::layout
