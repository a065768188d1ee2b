// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the player and its tools tell the user something outside the window:
// one line on standard error, behind the program's name, so that a line in a desktop
// session's log says where it came from.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace lyrabox {

inline void TellUser(std::string_view message) {
  std::string line = "lyrabox: ";
  line.append(message);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace lyrabox
