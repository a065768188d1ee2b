#include "platform/audio_cd/audio_cd.h"

#include <cstdio>

#include "cdaudio/frames.h"

namespace lyrabox::platform {

std::uint32_t AudioCdVolumeSerial(const cdaudio::TableOfContents& disc) {
  std::uint32_t sum = 0;
  for (int n = disc.FirstTrack().value; n <= disc.LastTrack().value; ++n) {
    const cdaudio::Msf start = cdaudio::ToMsf(disc.TrackStart(cdaudio::TrackNumber{n}));
    sum += (static_cast<std::uint32_t>(start.minute) << 16) +
           (static_cast<std::uint32_t>(start.second) << 8) +
           static_cast<std::uint32_t>(start.frame);
  }
  if (disc.TrackCount() < 3) {
    sum += static_cast<std::uint32_t>((disc.LeadOut() - disc.DiscStart()).value);
  }
  return sum;
}

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
