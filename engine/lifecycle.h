// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shutdown of the player, and the start by AutoPlay.
//
// The player's controller owns one Lifecycle next to its Player and runs Load from its
// load event and Unload from its unload event, both on the user-interface thread and
// both through the event guard (engine/guard.h). A run-time error that Load lets out (a
// drive setting or bookmark file that cannot be read, the other player that cannot be
// started on the hand-over path) is for the guard: it shows the box and ends the
// program, so the window is never shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/player.h"

namespace lyrabox {

// The CD drive's root that the drive-setting file's content gives: its first field.
// Nothing when the file names no drive (empty, blanks only, or an empty first field).
std::optional<std::string> DriveRootFromSetting(std::string_view content);

// The CD drive's root that the drive-setting file on `disks` names; nothing when there
// is no such file or it names no drive. Throws the run-time error of a file that is
// there but cannot be read.
std::optional<std::string> ReadDriveSetting(platform::Disks& disks);

class Lifecycle {
 public:
  explicit Lifecycle(Player& player) : player_(player) {}

  // The load sequence, run before the window is first shown. Returns when the window
  // is to be shown; ending the program at once goes through Process::EndNow (a second
  // instance, a device that cannot be opened, a disc handed to the other player).
  void Load();

  // The unload sequence, run after the close prompt when the window closes. Stops the
  // disc and closes the device; never fails and never cancels the close.
  void Unload();

  // The pass-through of a start by AutoPlay: returns only when the disc has a
  // bookmark, which is then in BmTrack, BmMin and BmSec. A disc without one is handed
  // to the other player and the program ends.
  void LoadPassThru();

  // The 1-based position of "/Play" in the argument text (any letter case), 0 when
  // it is not there; set by Load.
  std::size_t AutoPlayIndicator() const { return autoPlayIndicator_; }

 private:
  void ReadDriveSetting();
  void AutoPlayCheck();
  void AutoPlayResume();
  void BusyPause(std::uint32_t steps);
  // A start on the kill path: a program that cannot be started is reported and
  // start-up goes on, so the disc the user asked for is still resumed.
  void StartReportingFailure(std::string_view commandLine, platform::WindowState state);

  Player& player_;
  std::size_t autoPlayIndicator_ = 0;  // 1-based position of "/Play", 0 when absent
};

}  // namespace lyrabox
