// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/table_of_contents.h"

#include <algorithm>

namespace lyrabox::cdaudio {

namespace {
constexpr std::size_t kMostTracks = 99;
}

std::optional<TableOfContents> TableOfContents::Make(int firstTrack,
                                                     std::vector<TocTrack> tracks,
                                                     FrameAddress leadOut) {
  if (tracks.empty() || tracks.size() > kMostTracks || firstTrack < 1 ||
      firstTrack + static_cast<int>(tracks.size()) - 1 > static_cast<int>(kMostTracks)) {
    return std::nullopt;
  }
  if (tracks.front().start < kDiscOrigin) return std::nullopt;
  for (std::size_t i = 1; i < tracks.size(); ++i) {
    if (tracks[i].start <= tracks[i - 1].start) return std::nullopt;
  }
  if (leadOut <= tracks.back().start) return std::nullopt;
  return TableOfContents(firstTrack, std::move(tracks), leadOut);
}

bool TableOfContents::HasTrack(std::int64_t number) const {
  return number >= firstTrack_ && number <= LastTrack().value;
}

FrameAddress TableOfContents::TrackStart(TrackNumber track) const {
  return tracks_.at(IndexOf(track)).start;
}

TrackNumber TableOfContents::TrackAt(FrameAddress address) const {
  // The last track whose start is at or before the address.
  auto after = std::upper_bound(tracks_.begin(), tracks_.end(), address,
                                [](FrameAddress a, const TocTrack& t) { return a < t.start; });
  if (after == tracks_.begin()) return FirstTrack();
  return TrackNumber{firstTrack_ + static_cast<int>(after - tracks_.begin()) - 1};
}

FrameCount TableOfContents::ReportedTrackLength(TrackNumber track) const {
  if (track == LastTrack()) return LastFrame() - TrackStart(track);
  return TrackStart(TrackNumber{track.value + 1}) - TrackStart(track);
}

FrameCount TableOfContents::ReportedDiscLength() const { return LastFrame() - DiscStart(); }

bool TableOfContents::PureAudio() const {
  return std::all_of(tracks_.begin(), tracks_.end(), [](const TocTrack& t) { return t.audio; });
}

std::uint32_t TableOfContents::Identity() const {
  std::uint32_t sum = 0;
  for (const TocTrack& track : tracks_) {
    const Msf start = ToMsf(track.start);
    sum += (static_cast<std::uint32_t>(start.minute) << 16) +
           (static_cast<std::uint32_t>(start.second) << 8) + static_cast<std::uint32_t>(start.frame);
  }
  if (TrackCount() < 3) sum += static_cast<std::uint32_t>((leadOut_ - DiscStart()).value);
  return sum;
}

}  // namespace lyrabox::cdaudio
