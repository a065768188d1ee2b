// SPDX-License-Identifier: GPL-3.0-or-later
// Starting a program detached: it runs in a session of its own, is not our child
// (so it never becomes a zombie of ours and outlives us), and we do not wait for it.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace lyrabox::host {

struct DetachedStart {
  std::filesystem::path program;
  std::vector<std::string> arguments;  // after the program's own name
  // Set (or replaced) in the started program's environment; the rest is ours.
  std::vector<std::pair<std::string, std::string>> environment;
};

// Starts the program and returns once it runs (its exec succeeded) or failed to
// start. A file that is not a native executable but is executable is run by
// /bin/sh, as the shell's own lookup does, so a script without a "#!" line works.
// Returns 0 or the errno of the failure (EACCES for a file that is not executable).
int StartDetached(const DetachedStart& start);

}  // namespace lyrabox::host
