// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_cd/device_channel.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/ascii.h"
#include "platform/audio_cd/audio_cd.h"

namespace lyrabox::platform {
namespace {

// `text` and a NUL at the start of `buffer`, cut to fit in `length` characters.
void CopyWithNul(std::string_view text, char* buffer, std::uint32_t length) {
  const std::size_t count = std::min<std::size_t>(text.size(), length - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
}

}  // namespace

MciResult AudioCdChannel::SendString(std::string_view command, char* reply,
                                     std::uint32_t replyLength, WindowHandle /*callback*/) {
  std::string answer;
  const MciResult code = device_.Send(command, answer);
  if (code == 0 && !answer.empty() && replyLength > 0 && reply != nullptr) {
    CopyWithNul(answer, reply, replyLength);
  }
  return code;
}

bool AudioCdChannel::GetErrorString(MciResult code, char* text, std::uint32_t length) {
  if (length == 0 || text == nullptr) return false;
  const std::string message = device_.ErrorText(code);
  if (message.empty()) return false;
  CopyWithNul(message, text, length);
  return true;
}

std::optional<DiscSnapshot> AudioCdChannel::Disc() {
  std::optional<cdaudio::ReadyDisc> disc = device_.Disc();
  if (!disc) return std::nullopt;
  const cdaudio::TableOfContents& contents = disc->contents;
  DiscSnapshot snapshot;
  snapshot.firstTrack = contents.FirstTrack().value;
  for (int n = contents.FirstTrack().value; n <= contents.LastTrack().value; ++n) {
    const cdaudio::TrackNumber track{n};
    snapshot.tracks.push_back({Frames(contents.TrackStart(track).value), contents.IsAudio(track)});
  }
  snapshot.leadOut = Frames(contents.LeadOut().value);
  if (disc->text) snapshot.text = *disc->text;
  return snapshot;
}

std::optional<std::uint32_t> AudioCdChannel::VolumeSerial() {
  // A disc id read before the disc is known would be "0".
  device_.AwaitSettled();
  const std::optional<cdaudio::TableOfContents> disc = device_.Contents();
  if (!disc) return std::nullopt;
  return AudioCdVolumeSerial(*disc);
}

bool AudioCdChannel::ListsTrackFile(std::string_view pattern) {
  const std::optional<cdaudio::TableOfContents> disc = device_.Contents();
  if (!disc) return false;
  for (const std::string& track : AudioCdTrackFileNames(*disc)) {
    if (ascii::MatchesIgnoringCase(track, pattern)) return true;
  }
  return false;
}

}  // namespace lyrabox::platform
