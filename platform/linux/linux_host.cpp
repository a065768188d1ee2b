// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/linux_host.h"

#include <stdexcept>

#include "base/tell_user.h"
#include "platform/linux/desktop_player.h"

namespace lyrabox {
namespace {

std::unique_ptr<cdaudio::Device> Required(std::unique_ptr<cdaudio::Device> device) {
  if (!device) throw std::invalid_argument("LinuxHost needs a CD audio device");
  return device;
}

host::HostSettings SettingsFromEnvironment() {
  host::HostSettings settings = host::HostSettings::FromEnvironment();
  if (!settings.warning.empty()) TellUser(settings.warning);
  return settings;
}

}  // namespace

LinuxHost::LinuxHost(std::vector<std::string> arguments, std::unique_ptr<cdaudio::Device> device)
    : device_(Required(std::move(device))),
      settings_(SettingsFromEnvironment()),
      drives_(settings_.home),
      channel_(*device_),
      disks_(drives_, settings_.cdDrive, channel_),
      process_(std::move(arguments), drives_, settings_.cdDrive, settings_.lockFile) {
  disks_.followDriveSetting = [this](const std::optional<std::string>& settingRoot) {
    FollowDriveSetting(settingRoot);
  };
  process_.startDesktopCdPlayer = [this](std::string& why) {
    const std::optional<std::string> node = cdDriveNode_ ? cdDriveNode_() : std::nullopt;
    return host::StartDesktopCdPlayer(node ? host::CddaLocation(*node) : "", why);
  };
}

void LinuxHost::FollowDriveSetting(const std::optional<std::string>& settingRoot) {
  const std::string line = settings_.FollowPlayerDrive(settingRoot);
  if (!line.empty()) TellUser(line);
  disks_.SetCdDrive(settings_.cdDrive);
  process_.SetCdDrive(settings_.cdDrive);
}

}  // namespace lyrabox
