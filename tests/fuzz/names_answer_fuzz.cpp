// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the MusicBrainz service's answer into the reader the lookup uses,
// for a disc whose tracks start at 1 and for one whose tracks start at 90. The names
// it finds are clean, on tracks the disc can have, and come back unchanged from the
// names cache.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/clean_disc_text.h"
#include "names/musicbrainz.h"
#include "names/names_cache.h"

// The disc id the seed answers name.
constexpr char kDiscId[] = "TqvKjMu7dMliSfmVEBtrL7sBSno-";

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray answer(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  for (const int firstTrack : {1, 90}) {
    const auto names = lyrabox::names::NamesFromAnswer(answer, kDiscId, firstTrack);
    if (!names) continue;
    if (!IsCleanDiscText(*names)) __builtin_trap();
    if (!names->tracks.empty() && names->tracks.begin()->first < firstTrack) __builtin_trap();
    if (lyrabox::names::NamesFromCacheFile(lyrabox::names::CacheFileContent(kDiscId, *names),
                                           kDiscId) != names) {
      __builtin_trap();
    }
  }
  return 0;
}
