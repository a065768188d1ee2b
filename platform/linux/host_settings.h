// Where the Linux host keeps things, read from the environment once at start.
//
// Host settings never travel in the argument text (the logic searches that for
// "/Play"); they are these environment variables:
//   LYRABOX_HOME      the folder holding one folder per drive letter (drive_c ...);
//                     default $XDG_DATA_HOME/lyrabox, that is ~/.local/share/lyrabox
//   LYRABOX_CD_DRIVE  the letter of the CD drive ("d:" by default; "e", "E:", "e:\"
//                     are read alike)
//   XDG_RUNTIME_DIR   where the single-instance lock lives (lyrabox.lock); without
//                     it, /tmp/lyrabox-<uid>.lock
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "base/environment_names.h"

namespace lyrabox::host {

struct HostSettings {
  // Looks a variable up; nullptr when it is not set.
  using Lookup = std::function<const char*(const char*)>;

  std::filesystem::path home;      // absolute
  char cdDrive = 'd';              // lower case
  std::filesystem::path lockFile;  // absolute
  // A line for standard error when a setting was unusable and its default taken.
  std::string warning;

  // Reads the settings through `lookup` (the process environment by default).
  static HostSettings FromEnvironment(const Lookup& lookup = nullptr);
};

}  // namespace lyrabox::host
