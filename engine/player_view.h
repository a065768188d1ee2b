// SPDX-License-Identifier: GPL-3.0-or-later
// What every face of the player shows of it: the view that the player's controller
// publishes after each event that ran (engine/player_controller.h). The faces (the Qt
// window, the native Windows window, the desktop's media controls) read the player's
// state and the disc's names from here alone.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <string>

#include "engine/player.h"
#include "engine/window.h"
#include "platform/platform.h"

namespace lyrabox {

// The names of the current track, as far as they are known; empty otherwise.
struct TrackNames {
  std::string album;  // the disc's title
  std::string albumPerformer;
  std::string title;      // the track's own
  std::string performer;  // the track's own, else the album's
  bool operator==(const TrackNames&) const = default;
};

struct PlayerView {
  static constexpr std::size_t kControls = static_cast<std::size_t>(Control::Bookmark) + 1;

  PlayMode mode = PlayMode::Stopped;  // as the poll last read it
  bool playing = false;               // `Playing`: what the player believes
  std::string discId;                 // empty without a scanned disc
  int trackCount = 0;                 // of the scanned disc; 0 without one
  Frames discLength{0};               // of the scanned disc; 0 when not known
  int track = 0;                      // the current track; 0 without a scanned disc
  Frames trackLength{0};              // the current track's; 0 when not known
  std::chrono::seconds position{0};   // within the current track
  std::chrono::seconds fastForwardStep{0};  // what one click of ff or rew moves
  std::array<bool, kControls> enabled{};    // by Control
  TrackNames names;                         // of the current track

  bool Enabled(Control control) const { return enabled[static_cast<std::size_t>(control)]; }
  bool operator==(const PlayerView&) const = default;
};

// The current track's title and performer, "Green Bar, The Fixtures", what is not
// known left out; empty when neither is.
inline std::string NamesLine(const TrackNames& names) {
  if (!names.title.empty() && !names.performer.empty()) return names.title + ", " + names.performer;
  return names.title + names.performer;
}

// The line that names the current track, "Track 3: Green Bar, The Fixtures": the
// windows' tooltip on the time display. Empty without a track, or without a title or
// performer for it.
inline std::string TrackTooltip(const PlayerView& view) {
  const std::string names = NamesLine(view.names);
  if (view.track <= 0 || names.empty()) return {};
  return "Track " + std::to_string(view.track) + ": " + names;
}

}  // namespace lyrabox
