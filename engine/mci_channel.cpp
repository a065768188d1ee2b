// SPDX-License-Identifier: GPL-3.0-or-later
// The device channel: the checked send, the direct send, and the player's setup.
#include "engine/player.h"

namespace lyrabox {

const char* ControlName(Control control) {
  switch (control) {
    case Control::timeWindow: return "timeWindow";
    case Control::play: return "play";
    case Control::pause: return "pause";
    case Control::stopbtn: return "stopbtn";
    case Control::btrack: return "btrack";
    case Control::ftrack: return "ftrack";
    case Control::rew: return "rew";
    case Control::ff: return "ff";
    case Control::eject: return "eject";
    case Control::totalplay: return "totalplay";
    case Control::tracktime: return "tracktime";
    case Control::Bookmark: return "Bookmark";
  }
  return "?";
}

Player::Player(platform::Platform& platform, Window& window)
    : platform_(platform), window_(window) {}

bool Player::SendMci(std::string_view command, bool reportErrors) {
  // The device gets a reply buffer holding "0" but may write nothing into it.
  char unusedReply[] = "0";
  MciError = static_cast<std::int32_t>(
      platform_.device.SendString(command, unusedReply, 0, window_.NativeHandle()));
  if (reportErrors && MciError != 0) {
    // The text lands at the start of the buffer; if the device has none for this
    // code the box shows what the buffer held before.
    platform_.device.GetErrorString(static_cast<platform::MciResult>(MciError),
                                    MciErrorText.chars.data(),
                                    static_cast<std::uint32_t>(MciErrorText.kLength));
    platform_.boxes.Message(MciErrorText.Whole());
  }
  return MciError == 0;
}

void Player::DirectSend(std::string_view command) {
  char unusedReply[] = "0";
  platform_.device.SendString(command, unusedReply, 0, 0);
}

void Player::TimerTick() { RefreshStatus(); }

}  // namespace lyrabox
