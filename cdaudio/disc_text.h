// The text a disc carries about itself (CD-Text: written into the lead-in of a
// pressed disc, or lines of a cue sheet): the album's title and performer, and each
// track's. Optional data of a disc: most discs have none, and a drive that cannot read
// it reports none. Texts are valid UTF-8, without control characters or surrounding
// blanks; a field the disc leaves out is empty.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lyrabox::cdaudio {

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

  bool Empty() const;
  // The track's text, empty fields for a track that has none.
  TitleAndPerformer Track(int number) const;
  friend bool operator==(const DiscText&, const DiscText&) = default;
};

// The longest field, in bytes. No disc or service names anything at such length, and
// laying out a megabyte of text freezes a window for seconds.
inline constexpr std::size_t kMostFieldBytes = 1024;

// `raw` (UTF-8) as a field of DiscText: control characters (a line break in a cue
// sheet's field, a stray byte read from a disc, C1 controls from Latin-1) become
// blanks, a longer text is cut at the last character that ends within kMostFieldBytes,
// and blanks at either end go.
std::string CleanField(std::string_view raw);

// A field of DiscText from the bytes a disc or a cue sheet holds for it, decided field
// by field: UTF-8 when the bytes are valid UTF-8 (a cue sheet saved by a program of
// today), Latin-1 otherwise (CD-Text, older sheets); then cleaned as by CleanField.
std::string FieldFromBytes(std::string_view bytes);

// The Latin-1 bytes of `utf8` when it is valid UTF-8 and each of its characters lies
// below U+0100; nothing otherwise.
std::optional<std::string> Latin1Of(std::string_view utf8);

// What a drive hands on: shared, since every look at the drive copies it.
using SharedDiscText = std::shared_ptr<const DiscText>;

}  // namespace lyrabox::cdaudio
