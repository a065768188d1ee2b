// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/demo_disc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>

namespace lyrabox::cdaudio {

namespace {

// Track lengths as minutes, seconds and frames: varied, as on a real album.
constexpr std::array<std::array<int, 3>, 12> kTrackLengths = {{
    {3, 42, 17}, {4, 17, 51}, {2, 58, 8}, {5, 31, 62}, {3, 9, 40}, {6, 44, 23},
    {4, 2, 71},  {3, 36, 12}, {4, 51, 55}, {2, 27, 30}, {5, 13, 4}, {7, 5, 66},
}};

// What makes each track sound like itself.
struct TrackStyle {
  double rootHz;          // the key
  double beatsPerMinute;  // one note of the tune per beat
  std::array<int, 4> progression;  // chords, as semitones above the key
};

constexpr std::array<TrackStyle, 12> kStyles = {{
    {220.00, 112, {0, 7, 9, 5}},  {196.00, 96, {0, 5, 7, 5}},   {246.94, 132, {0, 9, 5, 7}},
    {174.61, 84, {0, 3, 8, 7}},   {261.63, 120, {0, 7, 5, 7}},  {164.81, 72, {0, 8, 3, 10}},
    {233.08, 104, {0, 5, 9, 7}},  {207.65, 126, {0, 7, 9, 5}},  {185.00, 90, {0, 3, 5, 7}},
    {277.18, 140, {0, 5, 7, 0}},  {155.56, 100, {0, 9, 5, 7}},  {196.00, 80, {0, 8, 5, 7}},
}};

// The tracks' titles, in the keys of kStyles (the last one in G again, but slower).
constexpr std::array<std::string_view, 12> kTitles = {
    "Study in A",      "Study in G",       "Study in B",        "Study in F",
    "Study in C",      "Study in E",       "Study in B flat",   "Study in A flat",
    "Study in F sharp", "Study in C sharp", "Study in E flat",  "Study in G, Slowly",
};

// The notes of an arpeggio over a major chord, in semitones above its root.
constexpr std::array<int, 8> kArpeggio = {0, 4, 7, 12, 7, 4, 7, 16};

double Note(double semitonesAboveRoot, double rootHz) {
  return rootHz * std::pow(2.0, semitonesAboveRoot / 12.0);
}

// A plucked tone that starts and ends at silence, so notes join without clicks.
double Pluck(double hz, double t, double duration) {
  if (t < 0 || t >= duration) return 0;
  const double attack = std::min(1.0, t / 0.005);
  const double fade = 1.0 - t / duration;
  const double phase = 2 * std::numbers::pi * hz * t;
  return attack * fade * fade * std::exp(-3.0 * t) *
         (std::sin(phase) + 0.35 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase));
}

// One stereo sample at `seconds` into track `index`, `trackSeconds` long.
std::pair<double, double> DemoSample(std::size_t index, double seconds, double trackSeconds) {
  const double quietFrom = trackSeconds - 1.0;
  if (seconds >= quietFrom) return {0, 0};
  const TrackStyle& style = kStyles[index];
  const double beat = 60.0 / style.beatsPerMinute;
  const auto beatNumber = static_cast<long long>(seconds / beat);
  const double inBeat = seconds - static_cast<double>(beatNumber) * beat;
  const long long bar = beatNumber / static_cast<long long>(kArpeggio.size());
  const int chord = style.progression[static_cast<std::size_t>(bar % 4)];
  const int step = kArpeggio[static_cast<std::size_t>(beatNumber % 8)];

  const double tune = Pluck(Note(chord + step, style.rootHz), inBeat, beat);
  const double barLength = beat * static_cast<double>(kArpeggio.size());
  const double inBar = seconds - static_cast<double>(bar) * barLength;
  const double bass = Pluck(Note(chord - 12, style.rootHz), inBar, barLength);
  // Fade in over the first two seconds and out over the last three before the quiet.
  const double level = std::clamp(std::min(seconds / 2.0, (quietFrom - seconds) / 3.0), 0.0, 1.0);
  // Alternate notes lean left and right.
  const double pan = beatNumber % 2 == 0 ? 0.35 : 0.65;
  return {level * (tune * (1 - pan) + 0.6 * bass), level * (tune * pan + 0.6 * bass)};
}

std::int16_t ToSample(double value) {
  return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 0.3 * 32767));
}

}  // namespace

const TableOfContents& DemoDiscContents() {
  static const TableOfContents toc = [] {
    std::vector<TocTrack> tracks;
    FrameAddress start{kLeadInFrames};
    for (const auto& length : kTrackLengths) {
      tracks.push_back(TocTrack{start, true});
      start = start + FromMsf(length[0], length[1], length[2]);
    }
    return *TableOfContents::Make(1, std::move(tracks), start);
  }();
  return toc;
}

const SharedDiscText& DemoDiscText() {
  static const SharedDiscText text = [] {
    DiscText made;
    made.album = {"Twelve Studies", "The Lyrabox Demo Disc"};
    for (std::size_t i = 0; i < kTitles.size(); ++i) {
      made.tracks[static_cast<int>(i) + 1] = {std::string(kTitles[i]), ""};
    }
    return std::make_shared<const DiscText>(std::move(made));
  }();
  return text;
}

bool GenerateDemoAudio(FrameAddress start, int count, std::span<std::int16_t> out) {
  const TableOfContents& toc = DemoDiscContents();
  if (count < 0 || out.size() < static_cast<std::size_t>(count) * kInterleavedSamplesPerFrame) {
    return false;
  }
  if (count == 0) return true;
  if (!toc.Contains(start) || !toc.Contains(start + FrameCount{count - 1})) return false;

  std::size_t next = 0;
  for (int f = 0; f < count; ++f) {
    const FrameAddress frame = start + FrameCount{f};
    const TrackNumber track = toc.TrackAt(frame);
    const auto index = static_cast<std::size_t>(track.value - toc.FirstTrack().value);
    const FrameCount intoTrack = frame - toc.TrackStart(track);
    const FrameAddress trackEnd =
        track == toc.LastTrack() ? toc.LeadOut() : toc.TrackStart(TrackNumber{track.value + 1});
    const double trackSeconds =
        static_cast<double>((trackEnd - toc.TrackStart(track)).value) / kFramesPerSecond;
    for (std::size_t s = 0; s < kSamplesPerFrame; ++s) {
      const double seconds =
          static_cast<double>(intoTrack.value * static_cast<std::int64_t>(kSamplesPerFrame) +
                              static_cast<std::int64_t>(s)) /
          static_cast<double>(kSampleRate);
      const auto [left, right] = DemoSample(index, seconds, trackSeconds);
      out[next++] = ToSample(left);
      out[next++] = ToSample(right);
    }
  }
  return true;
}

DriveState DemoDrive::State() {
  std::lock_guard lock(mutex_);
  if (doorOpen_) return DriveState{DiscCondition::DoorOpen, std::nullopt, loadCount_, nullptr};
  return DriveState{DiscCondition::Ready, DemoDiscContents(), loadCount_, DemoDiscText()};
}

bool DemoDrive::OpenDoor() {
  std::lock_guard lock(mutex_);
  doorOpen_ = true;
  return true;
}

bool DemoDrive::CloseDoor() {
  std::lock_guard lock(mutex_);
  if (doorOpen_) {
    doorOpen_ = false;
    ++loadCount_;
  }
  return true;
}

bool DemoDrive::ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) {
  {
    std::lock_guard lock(mutex_);
    if (doorOpen_) return false;
  }
  return GenerateDemoAudio(start, count, out);
}

}  // namespace lyrabox::cdaudio
