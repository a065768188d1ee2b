// SPDX-License-Identifier: GPL-3.0-or-later
// Where the Linux host keeps things, read from the environment once at start.
//
// Host settings never travel in the argument text (the logic searches that for
// "/Play"); they are these environment variables:
//   LYRABOX_HOME      the folder holding one folder per drive letter (drive_c ...);
//                     default $XDG_DATA_HOME/lyrabox, that is ~/.local/share/lyrabox
//   LYRABOX_CD_DRIVE  the letter of the CD drive ("d:" by default; "e", "E:", "e:\"
//                     are read alike); the drive the player plays overrules it
//                     (FollowPlayerDrive)
//   XDG_RUNTIME_DIR   where the single-instance lock lives (lyrabox.lock); without
//                     it, /tmp/lyrabox-<uid>.lock
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "base/environment_names.h"

namespace lyrabox::host {

// The drive the player plays without a drive-setting file, and the drive of its data
// folder (c:\lyrabox\), which is a folder and never the CD.
inline constexpr char kDefaultCdDrive = 'd';
inline constexpr char kDataDrive = 'c';

struct HostSettings {
  // Looks a variable up; nullptr when it is not set.
  using Lookup = std::function<const char*(const char*)>;

  std::filesystem::path home;      // absolute
  char cdDrive = kDefaultCdDrive;  // lower case
  bool cdDriveNamed = false;       // by LYRABOX_CD_DRIVE
  std::filesystem::path lockFile;  // absolute
  // A line for standard error when a setting was unusable and its default taken.
  std::string warning;

  // Reads the settings through `lookup` (the process environment by default).
  static HostSettings FromEnvironment(const Lookup& lookup = nullptr);

  // Makes the drive the player plays the CD drive, whatever its letter, so that a data
  // folder copied from a Windows machine finds its disc: `settingRoot` is the first
  // field of the player's drive-setting file lbx.ini ("e:\"), or nothing without one
  // (the player then plays d:\). Returns a line for standard error, else an empty
  // text: when LYRABOX_CD_DRIVE named another drive (it is overruled), or when the
  // file names no drive the CD can be (none, or c:; the CD drive then stays).
  std::string FollowPlayerDrive(const std::optional<std::string>& settingRoot);
};

}  // namespace lyrabox::host
