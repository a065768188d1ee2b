// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/desktop_player.h"

#include <filesystem>

#include "base/module.h"

namespace lyrabox::host {

std::string CddaLocation(const std::string& node) {
  std::error_code error;
  std::filesystem::path drive = std::filesystem::canonical(node, error);
  if (error) drive = node;
  return "cdda://" + drive.filename().string() + "/";
}

bool StartDesktopCdPlayer(const std::string& location, std::string& why) {
  why.clear();
  auto* start = modules::Entry<StartDesktopPlayerEntry>(kDesktopPlayerModule,
                                                        kStartDesktopPlayerEntry, why);
  std::string id;
  return start != nullptr && start(location, id);
}

}  // namespace lyrabox::host
