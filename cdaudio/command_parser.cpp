// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/command_parser.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "base/ascii.h"

namespace lyrabox::cdaudio {

namespace {

enum class Keyword { Wait, Notify, Shareable, Alias, TimeFormat, DoorOpen, DoorClosed,
                     MediaPresent, NumberOfTracks, CurrentTrack, Position, Length, Mode, Ready,
                     Track, From, To, ToStart, ToEnd, Start, Type,
                     // set: the analog output, which the device takes and ignores
                     Audio, Video, On, Off,
                     // capability
                     CanPlay, CanEject, CanRecord, CanSave, DeviceType, HasAudio, HasVideo,
                     UsesFiles, CompoundDevice,
                     // info
                     Product, Upc, Identity,
                     // Ours, beside the real device's set: the disc's text.
                     Title };

struct Spelling {
  std::vector<std::string_view> words;
  Keyword keyword;
};

// Keywords of several words come first so that the longest spelling wins ("to start"
// before "to").
const std::vector<Spelling>& Spellings() {
  static const std::vector<Spelling> spellings = {
      {{"number", "of", "tracks"}, Keyword::NumberOfTracks},
      {{"media", "present"}, Keyword::MediaPresent},
      {{"current", "track"}, Keyword::CurrentTrack},
      {{"time", "format"}, Keyword::TimeFormat},
      {{"door", "open"}, Keyword::DoorOpen},
      {{"door", "closed"}, Keyword::DoorClosed},
      {{"to", "start"}, Keyword::ToStart},
      {{"to", "end"}, Keyword::ToEnd},
      {{"can", "play"}, Keyword::CanPlay},
      {{"can", "eject"}, Keyword::CanEject},
      {{"can", "record"}, Keyword::CanRecord},
      {{"can", "save"}, Keyword::CanSave},
      {{"device", "type"}, Keyword::DeviceType},
      {{"has", "audio"}, Keyword::HasAudio},
      {{"has", "video"}, Keyword::HasVideo},
      {{"uses", "files"}, Keyword::UsesFiles},
      {{"compound", "device"}, Keyword::CompoundDevice},
      {{"wait"}, Keyword::Wait},
      {{"notify"}, Keyword::Notify},
      {{"shareable"}, Keyword::Shareable},
      {{"alias"}, Keyword::Alias},
      {{"position"}, Keyword::Position},
      {{"length"}, Keyword::Length},
      {{"mode"}, Keyword::Mode},
      {{"ready"}, Keyword::Ready},
      {{"track"}, Keyword::Track},
      {{"title"}, Keyword::Title},
      {{"from"}, Keyword::From},
      {{"to"}, Keyword::To},
      {{"start"}, Keyword::Start},
      {{"type"}, Keyword::Type},
      {{"audio"}, Keyword::Audio},
      {{"video"}, Keyword::Video},
      {{"on"}, Keyword::On},
      {{"off"}, Keyword::Off},
      {{"product"}, Keyword::Product},
      {{"upc"}, Keyword::Upc},
      {{"identity"}, Keyword::Identity},
  };
  return spellings;
}

std::optional<Capability> CapabilityOf(Keyword keyword) {
  switch (keyword) {
    case Keyword::CanPlay: return Capability::CanPlay;
    case Keyword::CanEject: return Capability::CanEject;
    case Keyword::CanRecord: return Capability::CanRecord;
    case Keyword::CanSave: return Capability::CanSave;
    case Keyword::DeviceType: return Capability::DeviceType;
    case Keyword::HasAudio: return Capability::HasAudio;
    case Keyword::HasVideo: return Capability::HasVideo;
    case Keyword::UsesFiles: return Capability::UsesFiles;
    case Keyword::CompoundDevice: return Capability::CompoundDevice;
    default: return std::nullopt;
  }
}

bool AllowedFor(Verb verb, Keyword keyword) {
  if (keyword == Keyword::Wait || keyword == Keyword::Notify) return true;
  switch (verb) {
    case Verb::Open: return keyword == Keyword::Shareable || keyword == Keyword::Alias;
    case Verb::Set:
      return keyword == Keyword::TimeFormat || keyword == Keyword::DoorOpen ||
             keyword == Keyword::DoorClosed || keyword == Keyword::Audio ||
             keyword == Keyword::Video || keyword == Keyword::On || keyword == Keyword::Off;
    case Verb::Status:
      return keyword == Keyword::MediaPresent || keyword == Keyword::NumberOfTracks ||
             keyword == Keyword::CurrentTrack || keyword == Keyword::Position ||
             keyword == Keyword::Length || keyword == Keyword::Mode ||
             keyword == Keyword::TimeFormat || keyword == Keyword::Ready ||
             keyword == Keyword::Track || keyword == Keyword::Start || keyword == Keyword::Type ||
             keyword == Keyword::Title;
    case Verb::Capability: return CapabilityOf(keyword).has_value();
    case Verb::Info:
      return keyword == Keyword::Product || keyword == Keyword::Upc ||
             keyword == Keyword::Identity;
    case Verb::Play: return keyword == Keyword::From || keyword == Keyword::To;
    case Verb::Seek:
      return keyword == Keyword::To || keyword == Keyword::ToStart || keyword == Keyword::ToEnd;
    default: return false;
  }
}

using ascii::EqualsIgnoringCase;
using ascii::IsBlank;

// Printable ASCII and tabs only: a command string is a line of plain text.
bool PlainText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '\t' || (byte >= 0x20 && byte < 0x7f);
  });
}

std::vector<std::string_view> SplitWords(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const std::size_t begin = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > begin) words.push_back(text.substr(begin, i - begin));
  }
  return words;
}

std::optional<Verb> VerbNamed(std::string_view word) {
  static const std::pair<std::string_view, Verb> verbs[] = {
      {"open", Verb::Open},   {"close", Verb::Close},   {"set", Verb::Set},
      {"status", Verb::Status}, {"play", Verb::Play},   {"seek", Verb::Seek},
      {"pause", Verb::Pause}, {"resume", Verb::Resume}, {"stop", Verb::Stop},
      {"capability", Verb::Capability}, {"info", Verb::Info},
  };
  for (const auto& [name, verb] : verbs) {
    if (EqualsIgnoringCase(word, name)) return verb;
  }
  static const std::string_view unsupported[] = {
      "break",   "capture",    "configure", "copy",    "cue",      "cut",
      "delete",  "escape",     "freeze",  "list",      "load",     "monitor",
      "paste",   "put",        "quality", "realize",   "record",   "reserve", "restore",
      "save",    "setaudio",   "settimecode", "settuner", "setvideo", "signal", "spin",
      "step",    "sysinfo",    "undo",    "unfreeze",  "update",   "where",   "window",
  };
  for (std::string_view name : unsupported) {
    if (EqualsIgnoringCase(word, name)) return Verb::Unsupported;
  }
  return std::nullopt;
}

std::optional<TimeFormat> TimeFormatNamed(std::string_view word) {
  if (EqualsIgnoringCase(word, "msf")) return TimeFormat::Msf;
  if (EqualsIgnoringCase(word, "tmsf")) return TimeFormat::Tmsf;
  if (EqualsIgnoringCase(word, "milliseconds") || EqualsIgnoringCase(word, "ms")) return TimeFormat::Milliseconds;
  return std::nullopt;
}

std::optional<StatusItem> StatusItemOf(Keyword keyword) {
  switch (keyword) {
    case Keyword::MediaPresent: return StatusItem::MediaPresent;
    case Keyword::NumberOfTracks: return StatusItem::NumberOfTracks;
    case Keyword::CurrentTrack: return StatusItem::CurrentTrack;
    case Keyword::Position: return StatusItem::Position;
    case Keyword::Length: return StatusItem::Length;
    case Keyword::Mode: return StatusItem::Mode;
    case Keyword::TimeFormat: return StatusItem::TimeFormat;
    case Keyword::Ready: return StatusItem::Ready;
    case Keyword::Type: return StatusItem::TrackType;
    case Keyword::Title: return StatusItem::Title;
    default: return std::nullopt;
  }
}

// The keyword that the words from `at` on begin with, and how many words it takes.
std::optional<std::pair<Keyword, std::size_t>> MatchKeyword(
    Verb verb, const std::vector<std::string_view>& words, std::size_t at) {
  for (const Spelling& spelling : Spellings()) {
    if (!AllowedFor(verb, spelling.keyword)) continue;
    if (at + spelling.words.size() > words.size()) continue;
    bool all = true;
    for (std::size_t k = 0; k < spelling.words.size() && all; ++k) {
      all = EqualsIgnoringCase(words[at + k], spelling.words[k]);
    }
    if (all) return std::make_pair(spelling.keyword, spelling.words.size());
  }
  return std::nullopt;
}

// Reads the words after the device name into `command`; returns the first fault.
ResultCode ParseItems(const std::vector<std::string_view>& words, Command& command) {
  std::vector<Keyword> seen;
  std::size_t at = 2;
  while (at < words.size()) {
    const auto match = MatchKeyword(command.verb, words, at);
    if (!match) return kUnrecognizedKeyword;
    const Keyword keyword = match->first;
    at += match->second;
    // Info items may come together: the first in precedence is answered.
    const bool isFlag = keyword == Keyword::Wait || keyword == Keyword::Notify ||
                        keyword == Keyword::Shareable || command.verb == Verb::Info;
    if (!isFlag && std::find(seen.begin(), seen.end(), keyword) != seen.end()) {
      return kFlagsNotCompatible;
    }
    seen.push_back(keyword);
    const std::optional<std::string_view> value =
        at < words.size() ? std::optional(words[at]) : std::nullopt;

    switch (keyword) {
      case Keyword::Wait: command.wait = true; break;
      case Keyword::Notify: command.notify = true; break;
      case Keyword::Shareable: command.shareable = true; break;
      case Keyword::Alias:
        if (!value) return kMissingParameter;
        command.alias = ascii::ToLower(*value);
        ++at;
        break;
      case Keyword::DoorOpen:
      case Keyword::DoorClosed:
        if (command.door) return kFlagsNotCompatible;
        command.door = keyword == Keyword::DoorOpen ? DoorMove::Open : DoorMove::Close;
        break;
      case Keyword::From:
      case Keyword::To:
      case Keyword::Track: {
        if (!value) return kBadInteger;
        const auto position = ParsePositionText(*value);
        if (!position) return kBadInteger;
        ++at;
        if (keyword == Keyword::Track) {
          if (position->fieldCount != 1) return kBadInteger;
          command.track = position->number;
        } else if (keyword == Keyword::From) {
          command.from = position;
        } else {
          if (command.verb == Verb::Seek && command.seekPlace != SeekPlace::Position) {
            return kFlagsNotCompatible;
          }
          command.to = position;
        }
        break;
      }
      case Keyword::ToStart:
      case Keyword::ToEnd:
        if (command.to || command.seekPlace != SeekPlace::Position) return kFlagsNotCompatible;
        command.seekPlace = keyword == Keyword::ToStart ? SeekPlace::Start : SeekPlace::End;
        break;
      case Keyword::Start: command.start = true; break;
      case Keyword::Audio: {
        // A channel, then usually "on" or "off".
        if (!value) return kMissingParameter;
        const bool channel = EqualsIgnoringCase(*value, "all") ||
                             EqualsIgnoringCase(*value, "left") || EqualsIgnoringCase(*value, "right");
        if (!channel) return kBadConstant;
        ++at;
        break;
      }
      case Keyword::Video: break;
      case Keyword::On:
      case Keyword::Off: {
        const Keyword other = keyword == Keyword::On ? Keyword::Off : Keyword::On;
        if (std::find(seen.begin(), seen.end(), other) != seen.end()) return kFlagsNotCompatible;
        break;
      }
      case Keyword::Product:
      case Keyword::Upc:
      case Keyword::Identity: {
        const InfoItem item = keyword == Keyword::Product ? InfoItem::Product
                              : keyword == Keyword::Upc   ? InfoItem::Upc
                                                          : InfoItem::Identity;
        if (!command.info || item < *command.info) command.info = item;
        break;
      }
      case Keyword::TimeFormat:
        if (command.verb == Verb::Set) {
          if (!value) return kMissingParameter;
          command.timeFormat = TimeFormatNamed(*value);
          if (!command.timeFormat) return kBadTimeFormat;
          ++at;
          break;
        }
        [[fallthrough]];
      default:
        if (command.verb == Verb::Capability) {
          if (command.capability) return kFlagsNotCompatible;
          command.capability = CapabilityOf(keyword);
          break;
        }
        if (command.item) return kFlagsNotCompatible;
        command.item = StatusItemOf(keyword);
        break;
    }
  }

  switch (command.verb) {
    case Verb::Set:
      if (std::none_of(seen.begin(), seen.end(), [](Keyword k) {
            return k != Keyword::Wait && k != Keyword::Notify;
          })) {
        return kMissingParameter;
      }
      break;
    case Verb::Status:
      if (!command.item) return kMissingParameter;
      if (command.track && command.item != StatusItem::Position &&
          command.item != StatusItem::Length && command.item != StatusItem::TrackType &&
          command.item != StatusItem::Title) {
        return kFlagsNotCompatible;
      }
      if (command.item == StatusItem::TrackType && !command.track) return kMissingParameter;
      if (command.start && (command.item != StatusItem::Position || command.track)) {
        return kFlagsNotCompatible;
      }
      break;
    case Verb::Capability:
      if (!command.capability) return kMissingParameter;
      break;
    case Verb::Info:
      if (!command.info) return kMissingParameter;
      break;
    case Verb::Seek:
      if (!command.to && command.seekPlace == SeekPlace::Position) return kMissingParameter;
      break;
    default: break;
  }
  return kSuccess;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), ascii::IsDigit);
}

// Decimal digits to a number no larger than `limit`; nothing when larger.
std::optional<std::uint64_t> DigitsValue(std::string_view digits, std::uint64_t limit) {
  if (!AllDigits(digits)) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<PositionText> ParsePositionText(std::string_view word) {
  PositionText position;
  if (word.find(':') == std::string_view::npos) {
    const bool negative = !word.empty() && word.front() == '-';
    const auto value = DigitsValue(negative ? word.substr(1) : word,
                                   std::numeric_limits<std::uint32_t>::max());
    if (!value) return std::nullopt;
    // The real device reads "-1" as the unsigned number with the same bits.
    position.number = static_cast<std::uint32_t>(negative ? 0 - *value : *value);
    return position;
  }
  position.fieldCount = 0;
  std::size_t begin = 0;
  while (true) {
    const std::size_t colon = word.find(':', begin);
    const std::string_view field = word.substr(begin, colon == std::string_view::npos
                                                          ? std::string_view::npos
                                                          : colon - begin);
    if (position.fieldCount == 4) return std::nullopt;
    const auto value = DigitsValue(field, 255);
    if (!value) return std::nullopt;
    position.fields[static_cast<std::size_t>(position.fieldCount++)] =
        static_cast<std::uint8_t>(*value);
    if (colon == std::string_view::npos) break;
    begin = colon + 1;
  }
  return position;
}

ParseResult ParseCommand(std::string_view text) {
  ParseResult result;
  if (text.size() > kMaxCommandLength || !PlainText(text)) {
    result.error = kUnrecognizedCommand;
    return result;
  }
  const std::vector<std::string_view> words = SplitWords(text);
  const std::optional<Verb> verb = words.empty() ? std::nullopt : VerbNamed(words[0]);
  if (!verb) {
    result.error = kUnrecognizedCommand;
    return result;
  }
  result.command.verb = *verb;
  if (words.size() < 2) {
    result.error = kMissingParameter;
    return result;
  }
  result.command.device = ascii::ToLower(words[1]);
  result.deviceNamed = true;
  if (*verb != Verb::Unsupported) result.error = ParseItems(words, result.command);
  return result;
}

std::string_view TimeFormatName(TimeFormat format) {
  switch (format) {
    case TimeFormat::Msf: return "msf";
    case TimeFormat::Tmsf: return "tmsf";
    case TimeFormat::Milliseconds: return "milliseconds";
  }
  return "";
}

}  // namespace lyrabox::cdaudio
