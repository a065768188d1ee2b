// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux host: everything platform.h asks of the machine but the boxes (those are
// Qt's, in ui/). The program's main makes one and hands its parts to the logic:
//
//   LinuxHost host(PlayerArgumentsOf(argc, argv).logic, std::move(device));
//
// Settings come from the environment when it is made (host_settings.h lists them),
// never from the arguments, which are only the logic's argument text. Any line it
// has to say about an unusable setting goes to standard error.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cdaudio/cdaudio.h"
#include "platform/audio_cd/device_channel.h"
#include "platform/linux/drive_folders.h"
#include "platform/linux/host_disks.h"
#include "platform/linux/host_process.h"
#include "platform/linux/host_settings.h"
#include "platform/platform.h"

namespace lyrabox {

class LinuxHost {
 public:
  // `device` must not be null; the host owns it from now on.
  // `arguments` are the logic's, after the program's name (PlayerArgumentsOf gives
  // them with the desktop's drive argument taken out).
  LinuxHost(std::vector<std::string> arguments, std::unique_ptr<cdaudio::Device> device);
  LinuxHost(const LinuxHost&) = delete;
  LinuxHost& operator=(const LinuxHost&) = delete;

  platform::DeviceCommands& device() { return channel_; }
  platform::Disks& disks() { return disks_; }
  platform::Process& process() { return process_; }
  // Makes the drive the player plays the CD drive: `settingRoot` is what its
  // drive-setting file names (nothing without one); the load sequence tells it
  // through disks(). Says on standard error when LYRABOX_CD_DRIVE named another
  // drive, or the file names none the CD can be.
  void FollowDriveSetting(const std::optional<std::string>& settingRoot);
  // How to find the device node of the CD drive (/dev/sr0), for the desktop's CD
  // player when the disc is handed to it; asked only then. Nothing for a disc that is
  // no drive's (a disc image, the demo disc): that player then gets no location.
  void SetCdDriveNode(std::function<std::optional<std::string>()> node) {
    cdDriveNode_ = std::move(node);
  }

 private:
  std::unique_ptr<cdaudio::Device> device_;
  host::HostSettings settings_;
  host::DriveFolders drives_;
  platform::AudioCdChannel channel_;
  host::HostDisks disks_;
  host::HostProcess process_;
  std::function<std::optional<std::string>()> cdDriveNode_;
};

}  // namespace lyrabox
