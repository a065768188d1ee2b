// SPDX-License-Identifier: GPL-3.0-or-later
// Disks and files for the logic, on Linux: the drive folders of drive_folders.h, and
// the CD drive, whose root lists one virtual file per audio track of the disc in it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio_cd/device_channel.h"
#include "platform/linux/drive_folders.h"
#include "platform/platform.h"

namespace lyrabox::host {

// Ordinary files here are regular files (a link to one counts) whose name does not
// begin with a dot; folders, devices, sockets and hidden files do not count. Errors
// are RuntimeError numbers of platform.h; their detail is the Windows path and the
// host path it was looked for at.
//
// The CD drive shows the disc in it as the Windows CD file system does, so that what
// was written on Windows names the same disc here: its root lists one file
// "Track01.cda", "Track02.cda" ... per track of a pure audio disc (none for a disc with
// a data track), and its volume serial number is computed from the table of contents
// as Windows computes it for an audio disc, once the drive has settled (a drive that
// spins up is waited for, up to cdaudio::kSettleLimit). A folder drive has no volume serial
// number, so it reads as nothing.
class HostDisks : public platform::Disks {
 public:
  // `cd` answers for the CD drive, whose letter is `cdDrive`; both must outlive this
  // object.
  HostDisks(const DriveFolders& drives, char cdDrive, platform::AudioCdChannel& cd);

  // The drive the player plays turned out to be another (LinuxHost::FollowDriveSetting).
  void SetCdDrive(char cdDrive) { cdDrive_ = cdDrive; }
  // Hands the drive setting to `followDriveSetting` (LinuxHost's), which sets the CD
  // drive of this object and of the process; nothing while it is unset.
  void FollowDriveSetting(const std::optional<std::string>& settingRoot) override {
    if (followDriveSetting) followDriveSetting(settingRoot);
  }
  std::function<void(const std::optional<std::string>&)> followDriveSetting;

  std::optional<std::uint32_t> VolumeSerialNumber(std::string_view root) override;
  bool OrdinaryFileExists(std::string_view path) override;
  bool OrdinaryFileMatches(std::string_view pattern) override;
  std::string ReadTextFile(std::string_view path) override;
  void ReplaceFile(std::string_view path, std::string_view content) override;
  void CreateFolders(std::string_view path) override;

 private:
  bool OnCdDrive(const WindowsPath& path) const { return path.drive == cdDrive_; }
  // Whether the CD's root lists a track file that `pattern` matches.
  bool CdRootMatches(const WindowsPath& path, std::string_view pattern);

  const DriveFolders& drives_;
  char cdDrive_;
  platform::AudioCdChannel& cd_;
};

}  // namespace lyrabox::host
