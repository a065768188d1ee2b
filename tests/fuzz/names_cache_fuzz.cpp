// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: a names cache file's content into the reader the lookup uses. The
// names it reads are clean, on tracks a disc can have, and written back they read the
// same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tests/fuzz/clean_disc_text.h"
#include "names/names_cache.h"

// The disc id the seed files name.
constexpr char kDiscId[] = "TqvKjMu7dMliSfmVEBtrL7sBSno-";

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const auto names = lyrabox::names::NamesFromCacheFile(content, kDiscId);
  if (!names) return 0;
  if (!IsCleanDiscText(*names)) __builtin_trap();
  if (lyrabox::names::NamesFromCacheFile(lyrabox::names::CacheFileContent(kDiscId, *names),
                                         kDiscId) != names) {
    __builtin_trap();
  }
  return 0;
}
