// The names of the disc on the window: the lookup follows the disc after each of the
// window's events, and the time display's tooltip names the current track
// ("Track 3: Green Bar, The Fixtures"). A tooltip is all the window gains: its controls
// and texts stay as they are.
#pragma once

#include "ui/names/names_lookup.h"

namespace lyrabox {
class Form1;
}

namespace lyrabox::names {

// Both must outlive the connection; it ends with either.
void FollowOnWindow(NamesLookup& names, Form1& window);

}  // namespace lyrabox::names
