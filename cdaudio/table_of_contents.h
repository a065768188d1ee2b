// SPDX-License-Identifier: GPL-3.0-or-later
// A disc's table of contents: where each track starts, which tracks hold audio, and
// where the lead-out begins. Everything the device reports about lengths and tracks
// is computed here from those few numbers.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <vector>

#include "cdaudio/frames.h"

namespace lyrabox::cdaudio {

struct TrackNumber {
  int value = 0;
  friend constexpr auto operator<=>(TrackNumber, TrackNumber) = default;
};

struct TocTrack {
  FrameAddress start;
  bool audio = true;
  friend bool operator==(const TocTrack&, const TocTrack&) = default;
};

class TableOfContents {
 public:
  // Tracks in disc order, the first numbered `firstTrack`. Nothing when the numbers
  // cannot describe a disc: no tracks, more than 99, a start before the disc's origin,
  // starts that do not increase, or a lead-out not after the last start.
  static std::optional<TableOfContents> Make(int firstTrack, std::vector<TocTrack> tracks,
                                             FrameAddress leadOut);

  TrackNumber FirstTrack() const { return TrackNumber{firstTrack_}; }
  TrackNumber LastTrack() const {
    return TrackNumber{firstTrack_ + static_cast<int>(tracks_.size()) - 1};
  }
  int TrackCount() const { return static_cast<int>(tracks_.size()); }
  bool HasTrack(std::int64_t number) const;

  // Takes a track that HasTrack accepts.
  FrameAddress TrackStart(TrackNumber track) const;

  FrameAddress DiscStart() const { return tracks_.front().start; }
  FrameAddress LeadOut() const { return leadOut_; }
  // The last frame of the last track: where the disc rests after playing to its end.
  FrameAddress LastFrame() const { return leadOut_ - FrameCount{1}; }
  // Whether the address lies on the disc's tracks (from track 1 to before the lead-out).
  bool Contains(FrameAddress address) const {
    return address >= DiscStart() && address < leadOut_;
  }

  // The track an address lies in; the first track for an address before it.
  TrackNumber TrackAt(FrameAddress address) const;

  // Lengths as the device reports them: a track runs to the next track's start; the
  // last track and the whole disc are reported one frame short of the lead-out.
  FrameCount ReportedTrackLength(TrackNumber track) const;
  FrameCount ReportedDiscLength() const;

  // Every track holds audio: no data track, as on a mixed or a data disc.
  bool PureAudio() const;
  // Whether the track (one that HasTrack accepts) holds audio.
  bool IsAudio(TrackNumber track) const { return tracks_.at(IndexOf(track)).audio; }

  // The disc's identity, as the device reports it ("info ... identity") and Windows
  // numbers an audio CD's volume: the 32-bit sum over every track of its start
  // (counted from the very start of the disc, lead-in included) packed as
  // (M << 16) + (S << 8) + F, plus, for a disc of fewer than three tracks, the disc's
  // length in frames (lead-out minus the first track's start). The sum wraps at 32 bits.
  std::uint32_t Identity() const;

  friend bool operator==(const TableOfContents&, const TableOfContents&) = default;

 private:
  TableOfContents(int firstTrack, std::vector<TocTrack> tracks, FrameAddress leadOut)
      : firstTrack_(firstTrack), tracks_(std::move(tracks)), leadOut_(leadOut) {}
  std::size_t IndexOf(TrackNumber track) const {
    return static_cast<std::size_t>(track.value - firstTrack_);
  }

  int firstTrack_;
  std::vector<TocTrack> tracks_;
  FrameAddress leadOut_;
};

}  // namespace lyrabox::cdaudio
