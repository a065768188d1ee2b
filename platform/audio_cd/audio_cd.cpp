// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_cd/audio_cd.h"

#include <cstdio>


namespace lyrabox::platform {

std::uint32_t AudioCdVolumeSerial(const cdaudio::TableOfContents& disc) { return disc.Identity(); }

std::vector<std::string> AudioCdTrackFileNames(const cdaudio::TableOfContents& disc) {
  std::vector<std::string> names;
  if (!disc.PureAudio()) return names;
  for (int n = disc.FirstTrack().value; n <= disc.LastTrack().value; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "Track%02d.cda", n);
    names.emplace_back(name);
  }
  return names;
}

}  // namespace lyrabox::platform
