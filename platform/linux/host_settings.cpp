// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/host_settings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "base/ascii.h"
#include "platform/linux/drive_folders.h"

namespace lyrabox::host {
namespace {

// An unset, empty or relative value counts as absent, as the XDG rules say for their
// variables: a relative folder would move with the working directory.
std::filesystem::path AbsoluteFolder(const HostSettings::Lookup& lookup, const char* name) {
  const char* value = lookup(name);
  if (value == nullptr || value[0] != '/') return {};
  return std::filesystem::path(value);
}

std::filesystem::path UserHomeFolder(const HostSettings::Lookup& lookup) {
  std::filesystem::path home = AbsoluteFolder(lookup, "HOME");
  if (!home.empty()) return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return "/";
}

std::filesystem::path HomeFolder(const HostSettings::Lookup& lookup) {
  const char* explicitHome = lookup(kHomeVariable);
  if (explicitHome != nullptr && explicitHome[0] != '\0') {
    // Given by the user: a relative value is taken from where the player was started.
    return std::filesystem::absolute(explicitHome).lexically_normal();
  }
  std::filesystem::path dataHome = AbsoluteFolder(lookup, "XDG_DATA_HOME");
  if (dataHome.empty()) dataHome = UserHomeFolder(lookup) / ".local" / "share";
  return dataHome / "lyrabox";
}

std::filesystem::path LockFile(const HostSettings::Lookup& lookup) {
  std::filesystem::path runtime = AbsoluteFolder(lookup, "XDG_RUNTIME_DIR");
  if (!runtime.empty()) return runtime / "lyrabox.lock";
  // /tmp is shared by every user: the uid keeps one user's lock from another's.
  return "/tmp/lyrabox-" + std::to_string(geteuid()) + ".lock";
}

}  // namespace

HostSettings HostSettings::FromEnvironment(const Lookup& given) {
  Lookup lookup = given ? given : Lookup([](const char* name) { return std::getenv(name); });
  HostSettings settings;
  settings.home = HomeFolder(lookup);
  settings.lockFile = LockFile(lookup);
  if (const char* drive = lookup(kCdDriveVariable); drive != nullptr && drive[0] != '\0') {
    if (char letter = ascii::DriveLetterOf(drive); letter != 0 && letter != kDataDrive) {
      settings.cdDrive = letter;
      settings.cdDriveNamed = true;
    } else {
      settings.warning = std::string() + kCdDriveVariable + "=\"" + drive + "\" names " +
                         (letter == kDataDrive ? "the data folder's drive" : "no drive letter") +
                         "; the CD drive is " + kDefaultCdDrive + ":";
    }
  }
  return settings;
}

std::string HostSettings::FollowPlayerDrive(const std::optional<std::string>& settingRoot) {
  char letter = kDefaultCdDrive;
  if (settingRoot) {
    const std::optional<WindowsPath> root = WindowsPath::Parse(*settingRoot);
    letter = root ? root->drive : 0;
    if (letter == 0 || letter == kDataDrive) {
      return "lbx.ini names \"" + *settingRoot +
             "\", which cannot be the CD drive; the CD drive stays " + cdDrive + ":";
    }
  }
  std::string line;
  if (cdDriveNamed && cdDrive != letter) {
    const std::string played = settingRoot ? "lbx.ini names " + *settingRoot
                                           : std::string("without lbx.ini the player plays ") +
                                                 kDefaultCdDrive + ":\\";
    line = std::string(kCdDriveVariable) + " names " + cdDrive + ":, but " + played +
           "; the CD drive is " + letter + ":";
  }
  cdDrive = letter;
  return line;
}

}  // namespace lyrabox::host
