// SPDX-License-Identifier: GPL-3.0-or-later
// Reads an MCI command string ("status cd length track 3 wait") into a Command.
//
// The parser knows the words; what they mean on the disc (is track 3 there? which
// time format?) is the device's business. Keywords are matched in any letter case;
// words are separated by blanks or tabs. A position is checked here only for its form
// ("3:1:30", "12000"), since its meaning depends on the time format.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cdaudio/result_codes.h"

namespace lyrabox::cdaudio {

// The longest command string read; longer ones are refused.
inline constexpr std::size_t kMaxCommandLength = 1024;

enum class Verb { Open, Close, Set, Status, Play, Seek, Pause, Resume, Stop, Capability, Info,
                  // An MCI command that a CD audio device does not carry out
                  // ("record", "save" ...).
                  Unsupported };

enum class TimeFormat { Msf, Tmsf, Milliseconds };

// Title ("status cd title [track N]", the disc's or a track's title from the disc's own
// text) is ours: the real device has no such item.
enum class StatusItem { MediaPresent, NumberOfTracks, CurrentTrack, Position, Length, Mode,
                        TimeFormat, Ready, TrackType, Title };

enum class Capability { CanPlay, CanEject, CanRecord, CanSave, DeviceType, HasAudio, HasVideo,
                        UsesFiles, CompoundDevice };

// In the order of precedence when a command names several.
enum class InfoItem { Product, Upc, Identity };

enum class DoorMove { Open, Close };

enum class SeekPlace { Position, Start, End };

// A position as the command gives it, before the time format gives it meaning: either
// one number ("3", "12000"; a minus sign wraps it round to a huge number, as the real
// device reads it) or two to four colon-separated fields of 0 to 255 ("3:1:30").
struct PositionText {
  int fieldCount = 1;
  std::uint32_t number = 0;                 // when fieldCount is 1
  std::array<std::uint8_t, 4> fields{};     // when fieldCount is 2 to 4
  friend bool operator==(const PositionText&, const PositionText&) = default;
};

struct Command {
  Verb verb = Verb::Unsupported;
  std::string device;  // as named, in lower case ("cd", "all", "cdaudio")
  bool wait = false;
  bool notify = false;
  bool shareable = false;
  std::optional<std::string> alias;                  // open, lower case
  std::optional<TimeFormat> timeFormat;              // set
  std::optional<DoorMove> door;                      // set
  std::optional<StatusItem> item;                    // status
  bool start = false;                                // status ... position start
  std::optional<std::uint32_t> track;                // status ... track N
  std::optional<Capability> capability;              // capability
  std::optional<InfoItem> info;                      // info
  std::optional<PositionText> from;                  // play
  std::optional<PositionText> to;                    // play, seek
  SeekPlace seekPlace = SeekPlace::Position;         // seek: "to start", "to end"
};

struct ParseResult {
  // 0 when the whole string was understood. Otherwise the code for the first fault.
  ResultCode error = kSuccess;
  // The verb and the device name were read (command.verb and command.device hold
  // them), so a fault after them is reported only once the device is known: the real
  // device answers "not open" before it looks at the rest.
  bool deviceNamed = false;
  Command command;
};

ParseResult ParseCommand(std::string_view text);

// The form of one position word; the code on failure is "bad integer".
std::optional<PositionText> ParsePositionText(std::string_view word);

std::string_view TimeFormatName(TimeFormat format);

}  // namespace lyrabox::cdaudio
