// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/spoken.h"

namespace lyrabox {
namespace {

std::string Counted(long long count, const char* unit) {
  return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

const char* ModeWord(PlayMode mode) {
  switch (mode) {
    case PlayMode::Playing: return "Playing";
    case PlayMode::Paused: return "Paused";
    case PlayMode::Stopped: break;
  }
  return "Stopped";
}

}  // namespace

std::string SpokenDuration(std::chrono::seconds duration) {
  if (duration < std::chrono::seconds(0)) return "minus " + SpokenDuration(-duration);
  const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(duration);
  const std::chrono::seconds seconds = duration - minutes;
  if (minutes.count() == 0) return Counted(seconds.count(), "second");
  std::string words = Counted(minutes.count(), "minute");
  if (seconds.count() != 0) words += " " + Counted(seconds.count(), "second");
  return words;
}

std::string SpokenPosition(const PlayerView& view) {
  if (view.discId.empty()) return {};
  return "Track " + std::to_string(view.track) + ", " + SpokenDuration(view.position);
}

std::string SpokenTotals(const PlayerView& view) {
  if (view.discId.empty()) return {};
  std::string words = Counted(view.trackCount, "track");
  if (view.discLength > Frames(0)) {
    words +=
        ", " + SpokenDuration(std::chrono::duration_cast<std::chrono::seconds>(view.discLength));
  }
  return words;
}

std::string SpokenTrackLength(const PlayerView& view) {
  if (view.discId.empty() || view.trackLength <= Frames(0)) return {};
  return "Track length " +
         SpokenDuration(std::chrono::duration_cast<std::chrono::seconds>(view.trackLength));
}

std::string SpokenState(const PlayerView& view) {
  if (view.discId.empty()) return "No disc";
  std::string words = std::string(ModeWord(view.mode)) + ", track " + std::to_string(view.track);
  const std::string names = NamesLine(view.names);
  return names.empty() ? words : words + ": " + names;
}

}  // namespace lyrabox
