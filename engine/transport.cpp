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
    state.MciCmd = std::string(command::kPlayFrom) + TwoDigits(state.BmTrack) + ":" +
                   TwoDigits(state.BmMin) + ":" + TwoDigits(state.BmSec);
    DirectSend(state.MciCmd);
    state.Playing = true;
    return;
  }
  SendMci("play cd", true);
  state.Playing = true;
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
