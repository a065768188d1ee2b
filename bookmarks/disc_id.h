// SPDX-License-Identifier: GPL-3.0-or-later
// The disc id: the volume serial number of the CD drive as upper-case hexadecimal.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace lyrabox {

// The serial number of the drive at `root` in upper-case hexadecimal without leading
// zeros ("ABCD", "FFFFFFFF"); "0" when it cannot be read, so every unreadable drive
// shares the id "0".
std::string GetDiscId(platform::Disks& disks, std::string_view root);

}  // namespace lyrabox
