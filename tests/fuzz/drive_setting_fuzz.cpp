// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the drive-setting file's content into the reader the load
// sequence uses. A root it gives is never empty.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/lifecycle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  if (const auto root = lyrabox::DriveRootFromSetting(content); root && root->empty()) {
    __builtin_trap();
  }
  return 0;
}
