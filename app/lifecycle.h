// Start-up and shutdown of the player, and the start by AutoPlay.
#pragma once

#include <cstddef>

#include "engine/player.h"

namespace lyrabox {

class Lifecycle {
 public:
  explicit Lifecycle(Player& player) : player_(player) {}

  // The load sequence, run before the window is first shown. Returns when the window
  // is to be shown; ending the program at once goes through Process::EndNow.
  void Load();

  // The unload sequence, run after the close prompt when the window closes.
  void Unload();

  // The pass-through of a start by AutoPlay: returns (with true) only when the disc
  // has a bookmark, which is then in BmTrack, BmMin and BmSec.
  bool LoadPassThru();

 private:
  Player& player_;
  std::size_t autoPlayIndicator_ = 0;  // 1-based position of "/Play", 0 when absent
};

}  // namespace lyrabox
