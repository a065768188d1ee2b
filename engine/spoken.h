// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader says of the player's displays, worked out from the view once
// for every face, so that the Qt window and the native Windows window say the same.
// A time is said as a person says it ("2 minutes 41 seconds"), never as the digits
// the display shows, which a reader would read as three numbers.
#pragma once

#include <chrono>
#include <string>

#include "engine/player_view.h"

namespace lyrabox {

// "2 minutes 41 seconds", "1 minute", "5 seconds", "0 seconds"; "minus 5 seconds".
std::string SpokenDuration(std::chrono::seconds duration);

// The time display: "Track 3, 2 minutes 41 seconds". Empty without a scanned disc.
std::string SpokenPosition(const PlayerView& view);
// The totals line: "12 tracks, 53 minutes 40 seconds" (the length left out when the
// device gave none). Empty without a scanned disc.
std::string SpokenTotals(const PlayerView& view);
// The track time line: "Track length 3 minutes 42 seconds". Empty while the current
// track's length is not known.
std::string SpokenTrackLength(const PlayerView& view);
// The mode and the current track, with its names where known: "Playing, track 3:
// Green Bar, The Fixtures", "Paused, track 3", "Stopped, track 1"; "No disc". It
// changes only when the mode, the track or its names do, never as the position
// runs: the one line a face announces when it changes.
std::string SpokenState(const PlayerView& view);

}  // namespace lyrabox
