// SPDX-License-Identifier: GPL-3.0-or-later
// The load and unload sequences.
#include "engine/lifecycle.h"

#include <string>

#include "engine/fixed_texts.h"
#include "platform/text_fields.h"

namespace lyrabox {

void Lifecycle::Load() {
  platform::Process& process = player_.platform().process;

  player_.ResetForStart();

  // A second start while one instance runs ends silently; the first one goes on.
  if (process.OtherInstanceRunning()) process.EndNow(platform::ExitStatus::Success);

  ReadDriveSetting();
  AutoPlayCheck();

  // No poll may come between opening the device and the end of start-up.
  player_.window().SetTimerEnabled(false);

  // SendMci has shown the device's reason already.
  if (!player_.SendMci(command::kOpen, true)) process.EndNow(platform::ExitStatus::Failure);
  player_.SendMci(command::kTimeFormatTmsfWait, true);

  AutoPlayResume();
  player_.window().SetTimerEnabled(true);
}

void Lifecycle::Unload() {
  player_.SendMci(command::kStopWait, true);
  // Nothing is left to report to once the window is going.
  player_.SendMci(command::kCloseAll, false);
}

void Lifecycle::ReadDriveSetting() {
  platform::Disks& disks = player_.platform().disks;
  const std::optional<std::string> root = lyrabox::ReadDriveSetting(disks);
  if (root) player_.CdDrive = *root;
  disks.FollowDriveSetting(root);
}

std::optional<std::string> ReadDriveSetting(platform::Disks& disks) {
  if (!disks.OrdinaryFileExists(fixed::kDriveSettingFile)) return std::nullopt;
  return DriveRootFromSetting(disks.ReadTextFile(fixed::kDriveSettingFile));
}

std::optional<std::string> DriveRootFromSetting(std::string_view content) {
  // A file that names no drive would stop the player at every start; it counts as no
  // file at all.
  FieldReader reader(content);
  if (reader.AtEnd()) return std::nullopt;
  std::string root = reader.ReadText();
  if (root.empty()) return std::nullopt;
  return root;
}

}  // namespace lyrabox
