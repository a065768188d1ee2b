// SPDX-License-Identifier: GPL-3.0-or-later
// Fast forward and rewind by FFSpeed seconds (and the media controls' seek, the same
// move by the amount asked), next and previous track, and the "Fast forward speed"
// entry. A move keeps the device's state: while playing it plays from the new place,
// otherwise it only seeks there.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "engine/player.h"
#include "platform/runtime_error.h"

namespace lyrabox {
void Player::FastForward() { MoveBy(std::chrono::seconds(state.FFSpeed)); }
void Player::Rewind() { MoveBy(-std::chrono::seconds(state.FFSpeed)); }

void Player::MoveBy(std::chrono::seconds offset) {
  SendMci("set cd time format milliseconds", true);

  // The position is read afresh into a buffer of this run's own. A refused query
  // (the disc taken out meanwhile) moves nothing: the time format goes back, and the
  // next poll shows what the drive holds now.
  ReplyBuffer<40> reply;
  if (StatusQuery("status cd position wait", reply) != 0) {
    SendMci("set cd time format tmsf", true);
    return;
  }
  std::optional<double> position = ReadNumber(reply.Whole());
  if (!position) throw RuntimeError(ErrorNumber::TypeMismatch);

  // Wide arithmetic, then the target is held to what a command can carry: no step,
  // however large, ends the program. A step of fast forward stays below 2^42 and a
  // real position below 2^32, so their double sum is exact; a larger move lands far
  // outside the disc either way.
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  double from = std::nearbyint(*position);
  double step = std::chrono::duration<double, std::milli>(offset).count();
  auto target = static_cast<std::int32_t>(std::clamp(from + step, kLowest, kHighest));

  // The device answers a target before the start or beyond the end with a refusal
  // that nobody needs to see: the display shows where the disc really is.
  state.MciCmd = std::string(state.Playing ? command::kPlayFrom : command::kSeekTo) +
                 std::to_string(target);
  DirectSend(state.MciCmd);
  SendMci("set cd time format tmsf", true);
  RefreshStatus();
}

void Player::NextTrack() {
  if (state.CurTrack < state.TrackCount) {
    int next = state.CurTrack + 1;
    state.MciCmd = std::string(state.Playing ? command::kPlayFrom : command::kSeekTo) +
                   std::to_string(next);
    SendMci(state.MciCmd, true);
  } else {
    // From the last track (or with nothing scanned) back to the first, stopped.
    SendMci(command::kSeekToStart, true);
  }
  RefreshStatus();
}

void Player::PreviousTrack() {
  int track = state.CurTrack;
  if (state.CurMin == 0 && state.CurSec == 0) {
    // Within the first second of a track: one track back, from track 1 to the last.
    track = state.CurTrack > 1 ? state.CurTrack - 1 : state.TrackCount;
  }
  state.MciCmd = std::string(state.Playing ? command::kPlayFrom : command::kSeekTo) +
                 std::to_string(track);
  SendMci(state.MciCmd, true);
  RefreshStatus();
}

void Player::FastForwardStep() {
  std::string entry = platform_.boxes.Input("Enter the new speed in seconds",
                                            "Fast Forward Speed", std::to_string(state.FFSpeed));
  std::optional<double> seconds = ReadNumber(entry);
  if (!seconds) return;  // cancelled, empty or not a number: the step stays
  try {
    state.FFSpeed = RoundToInt32(*seconds);
  } catch (const RuntimeError&) {
    // A number beyond the 32-bit range is no usable step; the old one stays.
  }
}

}  // namespace lyrabox
