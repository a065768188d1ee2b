// SPDX-License-Identifier: GPL-3.0-or-later
// Play, Stop, Pause and Eject. Each sets Playing to what it believes and leaves the
// truth to the status poll, which reads the device's mode.
#include <string>

#include "engine/player.h"

namespace lyrabox {

void Player::Play() {
  // The bookmark is read before the question, so the fields hold the file's values
  // whatever the answer.
  if (ReadBookmark() &&
      platform_.boxes.Question("Would you like to start playing at last bookmark ?")) {
    PlayFromBookmark();
    return;
  }
  SendMci("play cd", true);
  state.Playing = true;
}

void Player::PlayFromBookmark() {
  state.MciCmd = std::string(command::kPlayFrom) +
                 TmsfText(state.BmTrack, state.BmMin, state.BmSec);
  DirectSend(state.MciCmd);
  state.Playing = true;
}

void Player::ResumeAtBookmark() {
  RefreshStatus();
  SendMci(command::kSeekToStart, true);
  PlayFromBookmark();
}

void Player::ResetForStart() {
  state.BmTrack = 0;
  state.BmMin = 0;
  state.BmSec = 0;
  state.FFSpeed = kStartingFastForwardSeconds;
  state.DiscReady = false;
  disc.reset();
  CdDrive = std::string(kDefaultCdDrive);
}

void Player::Stop() {
  if (platform_.boxes.Question("Bookmark this spot now ?")) {
    // The bookmark is kept where the disc was; then the disc stops as asked, whether
    // or not the save went through.
    BookMarkSave();
    SendMci(command::kStopWait, true);
  } else {
    SendMci(command::kStopWait, true);
    // A bare track number is the start of that track: the disc rests at the start
    // of the track that was playing.
    state.MciCmd = std::string(command::kSeekTo) + std::to_string(state.CurTrack);
    SendMci(state.MciCmd, true);
  }
  state.Playing = false;
  RefreshStatus();
}

void Player::Pause() {
  SendMci("pause cd", true);
  state.Playing = false;
  RefreshStatus();
}

void Player::Eject() {
  SendMci("set cd door open", true);
  RefreshStatus();
}

}  // namespace lyrabox
