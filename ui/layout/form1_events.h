// Which operation of the player each of Form1's clicks runs. Both windows wire their
// events from this one table.
#pragma once

#include <array>

#include "engine/player.h"
#include "engine/window.h"

namespace lyrabox::layout {

using PlayerOperation = void (Player::*)();

struct Click {
  Control control;
  PlayerOperation operation;
};

inline constexpr std::array<Click, 9> kClicks{{
    {Control::play, &Player::Play},
    {Control::pause, &Player::Pause},
    {Control::stopbtn, &Player::Stop},
    {Control::eject, &Player::Eject},
    {Control::ff, &Player::FastForward},
    {Control::rew, &Player::Rewind},
    {Control::ftrack, &Player::NextTrack},
    {Control::btrack, &Player::PreviousTrack},
    {Control::Bookmark, &Player::StopAndBookmark},
}};

// The "Fast forward speed" item of the "Options" menu.
inline constexpr PlayerOperation kFfspeedOperation = &Player::FastForwardStep;

}  // namespace lyrabox::layout
