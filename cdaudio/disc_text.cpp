#include "cdaudio/disc_text.h"

#include <algorithm>

namespace lyrabox::cdaudio {

bool DiscText::Empty() const {
  return album.Empty() && std::all_of(tracks.begin(), tracks.end(),
                                      [](const auto& track) { return track.second.Empty(); });
}

TitleAndPerformer DiscText::Track(int number) const {
  const auto found = tracks.find(number);
  return found != tracks.end() ? found->second : TitleAndPerformer{};
}

std::string CleanField(std::string_view raw) {
  std::string clean;
  clean.reserve(raw.size());
  for (const char c : raw) {
    const auto byte = static_cast<unsigned char>(c);
    clean += byte < 0x20 || byte == 0x7f ? ' ' : c;
  }
  const std::size_t first = clean.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return clean.substr(first, clean.find_last_not_of(' ') - first + 1);
}

}  // namespace lyrabox::cdaudio
