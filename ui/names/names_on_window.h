// The names of the disc on the window: the lookup follows the disc after each event
// the controller runs, and the time display's tooltip names the current track
// ("Track 3: Green Bar, The Fixtures"). A tooltip is all the window gains: its controls
// and texts stay as they are.
#pragma once

#include <QWidget>

#include "engine/form1_controller.h"
#include "ui/names/names_lookup.h"

namespace lyrabox::names {

// All three must outlive the lookup, whose end ends the following.
void FollowOnWindow(NamesLookup& names, Form1Controller& controller, QWidget& timeDisplay);

}  // namespace lyrabox::names
