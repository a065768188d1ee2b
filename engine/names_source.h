// SPDX-License-Identifier: GPL-3.0-or-later
// Where the names of a disc without text of its own come from: a lookup that works them
// out from the disc's table of contents (names/ on Linux: a cache of earlier answers
// and the MusicBrainz web service). The program's main hands one to the player's
// controller; the Windows program has none and shows a disc's own text only.
//
// Thread: the user-interface thread only.
#pragma once

#include <functional>

#include "base/disc_text.h"
#include "platform/platform.h"

namespace lyrabox {

class NamesSource {
 public:
  virtual ~NamesSource() = default;

  // Works out the names of `disc` in the background: `found` runs once, from the event
  // loop and never within this call, with the names when any are found, and not at all
  // when none are. Never after this object is gone.
  virtual void Find(const platform::DiscSnapshot& disc, std::function<void(DiscText)> found) = 0;
};

}  // namespace lyrabox
