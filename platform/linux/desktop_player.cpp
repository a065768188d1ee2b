#include "platform/linux/desktop_player.h"

#include <filesystem>

#include "base/module.h"
#include "base/tell_user.h"

namespace lyrabox::host {

std::string CddaLocation(const std::string& node) {
  std::error_code error;
  std::filesystem::path drive = std::filesystem::canonical(node, error);
  if (error) drive = node;
  return "cdda://" + drive.filename().string() + "/";
}

std::optional<std::string> StartDesktopCdPlayer(const std::string& location) {
  std::string why;
  auto* start = modules::Entry<StartDesktopPlayerEntry>(kDesktopPlayerModule,
                                                        kStartDesktopPlayerEntry, why);
  if (start == nullptr) {
    TellUser("the desktop's CD players cannot be looked up: " + why);
    return std::nullopt;
  }
  std::string id;
  if (!start(location, id)) return std::nullopt;
  return id;
}

}  // namespace lyrabox::host
