// SPDX-License-Identifier: GPL-3.0-or-later
// What the player's logic needs of its window. The player's controller keeps the
// controls' state and passes each change on to the face that draws it (ui/); the tests
// implement it with a recorder so the order of changes is visible.
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace lyrabox {

// The controls that the logic writes, by their given names.
enum class Control {
  timeWindow,
  play,
  pause,
  stopbtn,
  btrack,
  ftrack,
  rew,
  ff,
  eject,
  totalplay,
  tracktime,
  Bookmark,
};

// The given name of a control ("stopbtn"), for messages and test output.
const char* ControlName(Control control);

class Window {
 public:
  virtual ~Window() = default;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  // The text of timeWindow or the caption of a label or button.
  virtual void SetText(Control control, std::string_view text) = 0;
  // Switches the one-second timer Timer1.
  virtual void SetTimerEnabled(bool enabled) = 0;
  // The window's native handle, passed as the callback window of checked sends.
  virtual platform::WindowHandle NativeHandle() = 0;
};

}  // namespace lyrabox
