// SPDX-License-Identifier: GPL-3.0-or-later
// The running player and the programs it starts, on Linux.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/environment_names.h"
#include "platform/linux/drive_folders.h"
#include "platform/linux/instance_lock.h"
#include "platform/linux/program_start.h"
#include "platform/platform.h"

namespace lyrabox::host {

class HostProcess : public platform::Process {
 public:
  // `arguments` are the player's own, after its name. Programs are looked for in
  // `drives`, which must outlive this object; the CD drive (`cdDrive`) holds none.
  HostProcess(std::vector<std::string> arguments, const DriveFolders& drives, char cdDrive,
              std::filesystem::path lockFile);

  // The drive the player plays turned out to be another (LinuxHost::FollowDriveSetting).
  void SetCdDrive(char cdDrive) { cdDrive_ = cdDrive; }

  // Takes the single-instance lock on the first call and keeps it for the life of
  // the process. When the lock file cannot be used at all, says so on standard error
  // and lets this instance run.
  bool OtherInstanceRunning() override;
  // The arguments joined by single blanks.
  std::string ArgumentText() override;
  // The program is the first reading of the command line (command_line.h) whose
  // Windows path names an existing regular file in the drive folders, found without
  // regard to case, the name as given or with ".exe" added. It is started detached
  // with the rest of the line split Windows-style as its arguments and the window
  // state in LYRABOX_WINDOW_STATE. No such file, or one that cannot be run: "File not
  // found" (53) with the command line as the detail.
  void StartProgram(std::string_view commandLine, platform::WindowState state) override;
  // The program of `commandLine`, found as StartProgram finds it, is started as
  // StartProgram starts it. When it is not there, the desktop's own CD player takes
  // the disc (startDesktopCdPlayer); when that starts none either, "File not found"
  // (53) with a box that says plainly why (no other CD player is set up, or the
  // desktop's players could not be looked up) and where the program would go.
  void HandOverDisc(std::string_view commandLine) override;
  // Starts the desktop's CD player for the disc, as StartDesktopCdPlayer does
  // (desktop_player.h): false when none started, with `why` saying why the desktop's
  // players could not be looked up, empty when there are none. Unset: none.
  std::function<bool(std::string& why)> startDesktopCdPlayer;
  // Flushes standard output and error and ends the process with `status`.
  [[noreturn]] void EndNow(platform::ExitStatus status) override;

 private:
  // How StartProgram would start `commandLine`; nothing when its program is not there.
  std::optional<DetachedStart> FindProgram(std::string_view commandLine,
                                           platform::WindowState state) const;
  // The text of the box when no other CD player takes a disc: none is set up, or
  // `unavailable` says why the desktop's players could not be looked up.
  std::string NoOtherPlayerText(std::string_view commandLine, const std::string& unavailable) const;

  std::vector<std::string> arguments_;
  const DriveFolders& drives_;
  char cdDrive_;
  InstanceLock lock_;
  bool lockTrouble_ = false;  // said once on standard error
};

}  // namespace lyrabox::host
