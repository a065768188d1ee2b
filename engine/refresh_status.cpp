// SPDX-License-Identifier: GPL-3.0-or-later
// The status poll: finds the disc, scans it once, and keeps the display, the buttons
// and the player state in line with the device. It is the only code that enables or
// disables buttons and writes the three displays.
//
// A query the device refuses (a disc taken out between two queries of one poll) ends
// the poll at that query: its buffer holds an older reply, not an answer, so nothing
// is read from it, and what the poll has not yet written stays as it was (a scan cut
// short takes back the totals it has shown). The next poll asks again. A reply the device did give that cannot be read still ends the
// program.
#include <string>

#include "bookmarks/disc_id.h"
#include "engine/player.h"

namespace lyrabox {
namespace {

// The eight buttons that only a scanned disc enables, in the order the scan enables
// them and in the order a removed disc disables them (the two orders differ).
constexpr Control kEnableOrder[] = {Control::play,   Control::pause,  Control::Bookmark,
                                    Control::ff,     Control::rew,    Control::ftrack,
                                    Control::btrack, Control::stopbtn};
constexpr Control kDisableOrder[] = {Control::play,   Control::Bookmark, Control::pause,
                                     Control::ff,     Control::rew,      Control::ftrack,
                                     Control::btrack, Control::stopbtn};

// The length text of a track of the scanned disc, or nothing for a track outside it
// (a position the device reports beyond the tracks it counted).
std::string LengthOfTrack(const PlayerState& state, std::int16_t track) {
  if (track < 1 || track > state.TrackCount) return "";
  if (static_cast<std::size_t>(track) >= state.TrackLength.size()) return "";
  return state.TrackLength[static_cast<std::size_t>(track)];
}

bool Answered(platform::MciResult result) { return result == 0; }

}  // namespace

void Player::RefreshStatus() {
  if (!Answered(StatusQuery("status cd media present", StatusReply))) return;
  bool present = TextToTruth(StatusReply.Whole());

  if (!present) {
    window_.SetEnabled(Control::eject, false);
    if (!state.DiscReady) return;
    for (Control control : kDisableOrder) window_.SetEnabled(control, false);
    state.DiscReady = false;
    disc.reset();
    state.Playing = false;
    mode = PlayMode::Stopped;
    window_.SetText(Control::totalplay, "");
    window_.SetText(Control::tracktime, "");
    window_.SetText(Control::timeWindow, "");
    return;
  }

  if (!state.DiscReady && !ScanDisc()) return;
  ShowPosition();
}

bool Player::ScanDisc() {
  if (!Answered(StatusQuery("status cd number of tracks wait", StatusReply))) return false;
  state.TrackCount = SliceToInt16(StatusReply.Slice(1, 2));
  window_.SetEnabled(Control::eject, true);

  // Only a disc with audio tracks lists track files in its root; any other disc is
  // left unscanned and looked at again on the next poll.
  if (!platform_.disks.OrdinaryFileMatches(CdDrive + "*.CDA")) return false;

  if (!Answered(StatusQuery("status cd length wait", StatusReply))) return false;
  window_.SetText(Control::totalplay, "Tracks: " + std::to_string(state.TrackCount) +
                                          "  Total time: " + StatusReply.Whole());
  const Frames discLength = LengthOfText(StatusReply.Whole()).value_or(Frames(0));

  // Index 0 stays unused so that TrackLength[n] is track n. A disc that counts no
  // tracks (or a nonsense negative count) is scanned as an empty disc.
  const std::int16_t lastTrack = state.TrackCount;
  state.TrackLength.assign(lastTrack > 0 ? static_cast<std::size_t>(lastTrack) + 1 : 1, "");
  for (int track = 1; track <= lastTrack; ++track) {
    state.MciCmd = "status cd length track " + std::to_string(track);
    // A refusal here leaves the disc unscanned: the next poll scans it from the start.
    // Its totals go with it, so that they are never shown for a disc that is not
    // ready (or, should it go now, no longer there).
    if (!Answered(StatusQuery(state.MciCmd, StatusReply))) {
      window_.SetText(Control::totalplay, "");
      return false;
    }
    state.TrackLength[static_cast<std::size_t>(track)] = StatusReply.Whole();
  }

  for (Control control : kEnableOrder) window_.SetEnabled(control, true);
  state.DiscReady = true;
  // One look at the new disc for its names, so that what is said of it never mixes
  // with another disc's: a disc swapped after this look reads as gone to the next
  // poll, which scans the new one afresh.
  disc = ScannedDisc{GetDiscId(platform_.disks, CdDrive), discLength, platform_.device.Disc()};
  SendMci(command::kSeekToStart, true);
  return true;
}

void Player::ShowPosition() {
  if (!Answered(StatusQuery(command::kPosition, StatusReply))) return;
  const TmsfPosition position = SliceTmsf(StatusReply);
  state.CurTrack = position.track;
  state.CurMin = position.minute;
  state.CurSec = position.second;

  const std::string track = TwoDigits(state.CurTrack);
  window_.SetText(Control::timeWindow,
                  "[" + track + "] " + TwoDigits(state.CurMin) + ":" + TwoDigits(state.CurSec));
  window_.SetText(Control::tracktime, "Track time: " + LengthOfTrack(state, state.CurTrack));

  if (!Answered(StatusQuery("status cd mode", StatusReply))) return;
  state.Playing = StatusReply.Slice(1, 7) == "playing";
  mode = state.Playing                                ? PlayMode::Playing
         : StatusReply.Whole().starts_with("paused") ? PlayMode::Paused
                                                      : PlayMode::Stopped;
}

}  // namespace lyrabox
