// SPDX-License-Identifier: GPL-3.0-or-later
#include "bookmarks/disc_id.h"

#include <cstdio>

namespace lyrabox {

std::string GetDiscId(platform::Disks& disks, std::string_view root) {
  std::uint32_t serial = disks.VolumeSerialNumber(root).value_or(0);
  char text[9];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(serial));
  return text;
}

}  // namespace lyrabox
