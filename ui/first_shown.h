// SPDX-License-Identifier: GPL-3.0-or-later
// What waits until the window is on the screen: work that the user need not wait for
// before seeing the window (the media controls on the session bus) runs once the
// display has first shown it, from the event loop, after it has been drawn.
//
// Thread: the user-interface thread only.
#pragma once

#include <QWidget>
#include <functional>

namespace lyrabox {

// Runs `then` once, after `window` is first exposed on the display and drawn; call it
// after show(). Should the display never expose the window (a desktop that keeps it
// out of sight), `then` runs a second after this call all the same, so that what it
// starts is never lost. Also marks the step "window shown" on the start's timeline.
void AfterFirstShown(QWidget& window, std::function<void()> then);

}  // namespace lyrabox
