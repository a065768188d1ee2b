// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/positions.h"

namespace lyrabox::cdaudio {

namespace {

std::variant<FrameAddress, ResultCode> FromTmsfText(const PositionText& text, const TableOfContents& toc) {
  const std::int64_t track = text.fieldCount == 1 ? text.number : text.fields[0];
  if (!toc.HasTrack(track)) return kOutOfRange;
  const FrameAddress start = toc.TrackStart(TrackNumber{static_cast<int>(track)});
  if (text.fieldCount == 1) return start;
  return start + FromMsf(text.fields[1], text.fields[2], text.fields[3]);
}

std::variant<FrameAddress, ResultCode> FromMsfText(const PositionText& text) {
  if (text.fieldCount == 1) return kDiscOrigin + FromMsf(text.number, 0, 0);
  if (text.fieldCount > 3) return kBadInteger;
  return kDiscOrigin + FromMsf(text.fields[0], text.fields[1], text.fields[2]);
}

std::variant<FrameAddress, ResultCode> FromMillisecondsText(const PositionText& text) {
  if (text.fieldCount != 1) return kBadInteger;
  return MillisecondsToPosition(text.number);
}

}  // namespace

std::variant<FrameAddress, ResultCode> ResolvePosition(const PositionText& text,
                                                       TimeFormat format,
                                                       const TableOfContents& toc) {
  std::variant<FrameAddress, ResultCode> place;
  switch (format) {
    case TimeFormat::Tmsf: place = FromTmsfText(text, toc); break;
    case TimeFormat::Msf: place = FromMsfText(text); break;
    case TimeFormat::Milliseconds: place = FromMillisecondsText(text); break;
  }
  if (const auto* address = std::get_if<FrameAddress>(&place); address && !toc.Contains(*address)) {
    return kOutOfRange;
  }
  return place;
}

std::string FormatPosition(FrameAddress address, TimeFormat format, const TableOfContents& toc) {
  switch (format) {
    case TimeFormat::Tmsf: {
      const TrackNumber track = toc.TrackAt(address);
      return TwoDigits(track.value) + ":" + FormatMsf(ToMsf(address - toc.TrackStart(track)));
    }
    case TimeFormat::Msf: return FormatMsf(ToMsf(address));
    case TimeFormat::Milliseconds: return std::to_string(PositionToMilliseconds(address));
  }
  return "";
}

std::string FormatLength(FrameCount length, TimeFormat format) {
  if (format == TimeFormat::Milliseconds) return std::to_string(LengthToMilliseconds(length));
  return FormatMsf(ToMsf(length));
}

}  // namespace lyrabox::cdaudio
