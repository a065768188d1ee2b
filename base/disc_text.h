// SPDX-License-Identifier: GPL-3.0-or-later
// The names of a disc: the album's title and performer, and each track's. They come
// from the disc itself (CD-Text, written into the lead-in of a pressed disc, or lines of
// a cue sheet) or from a lookup of its table of contents, and reach every face of the
// player. Most discs carry none. Fields are valid UTF-8, without control characters
// or surrounding blanks, and at most kMostFieldBytes long (CleanField); a field that
// is not known is empty.
#pragma once

#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace lyrabox {

struct TitleAndPerformer {
  std::string title;
  std::string performer;
  bool Empty() const { return title.empty() && performer.empty(); }
  friend bool operator==(const TitleAndPerformer&, const TitleAndPerformer&) = default;
};

// The highest number a disc may give a track; the lowest is 1.
inline constexpr int kLastTrackNumber = 99;

struct DiscText {
  TitleAndPerformer album;
  // By track number; only tracks with a text of their own are here.
  std::map<int, TitleAndPerformer> tracks;

  bool Empty() const {
    return album.Empty() && std::all_of(tracks.begin(), tracks.end(),
                                        [](const auto& track) { return track.second.Empty(); });
  }
  // The track's text, empty fields for a track that has none.
  TitleAndPerformer Track(int number) const {
    const auto found = tracks.find(number);
    return found != tracks.end() ? found->second : TitleAndPerformer{};
  }
  friend bool operator==(const DiscText&, const DiscText&) = default;
};

// The longest field, in bytes. No disc or service names anything at such length, and
// laying out a megabyte of text freezes a window for seconds.
inline constexpr std::size_t kMostFieldBytes = 1024;

// `raw` (UTF-8) as a field of DiscText: control characters (a line break in a cue
// sheet's field, a stray byte read from a disc, C1 controls from Latin-1) become
// blanks, a longer text is cut at the last character that ends within kMostFieldBytes,
// and blanks at either end go.
inline std::string CleanField(std::string_view raw) {
  std::string clean;
  clean.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const auto byte = static_cast<unsigned char>(raw[i]);
    // U+0080 to U+009F, the C1 controls, are 0xc2 0x80 to 0xc2 0x9f in UTF-8.
    const auto next = i + 1 < raw.size() ? static_cast<unsigned char>(raw[i + 1]) : 0;
    if (byte == 0xc2 && next >= 0x80 && next <= 0x9f) {
      clean += ' ';
      ++i;
      continue;
    }
    clean += byte < 0x20 || byte == 0x7f ? ' ' : raw[i];
  }
  if (clean.size() > kMostFieldBytes) {
    std::size_t end = kMostFieldBytes;
    while (end > 0 && (static_cast<unsigned char>(clean[end]) & 0xc0) == 0x80) --end;
    clean.resize(end);
  }
  const std::size_t first = clean.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return clean.substr(first, clean.find_last_not_of(' ') - first + 1);
}

}  // namespace lyrabox
