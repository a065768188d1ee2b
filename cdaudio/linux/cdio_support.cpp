// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/linux/cdio_support.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "base/tell_user.h"

namespace lyrabox::cdaudio::cdio {

namespace {

constexpr auto kLookEvery = std::chrono::seconds(1);

void LogHandler(cdio_log_level_t level, const char message[]) {
  static std::mutex mutex;
  static std::string last;
  if (level < CDIO_LOG_ERROR || message == nullptr) return;
  std::lock_guard lock(mutex);
  if (last == message) return;
  last = message;
  TellUser(std::string("libcdio: ") + message);
}

}  // namespace

void HandleDeleter::operator()(CdIo_t* cdio) const { cdio_destroy(cdio); }

void RouteLog() {
  static std::once_flag once;
  std::call_once(once, [] { cdio_log_set_handler(LogHandler); });
}

std::optional<TableOfContents> ReadContents(const CdIo_t* cdio) {
  const track_t first = cdio_get_first_track_num(cdio);
  const track_t count = cdio_get_num_tracks(cdio);
  if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
    return std::nullopt;
  }
  std::vector<TocTrack> tracks;
  for (int n = first; n < first + count; ++n) {
    const lba_t start = cdio_get_track_lba(cdio, static_cast<track_t>(n));
    if (start == CDIO_INVALID_LBA) return std::nullopt;
    const bool audio = cdio_get_track_format(cdio, static_cast<track_t>(n)) == TRACK_FORMAT_AUDIO;
    tracks.push_back(TocTrack{FrameAddress{start}, audio});
  }
  const lba_t leadOut = cdio_get_track_lba(cdio, CDIO_CDROM_LEADOUT_TRACK);
  if (leadOut == CDIO_INVALID_LBA) return std::nullopt;
  return TableOfContents::Make(first, std::move(tracks), FrameAddress{leadOut});
}

SharedDiscText ReadText(CdIo_t* cdio, const TableOfContents& contents) {
  // Owned by the handle. Of several languages the disc's first block is read.
  const cdtext_t* cdtext = cdio_get_cdtext(cdio);
  if (cdtext == nullptr) return nullptr;
  auto field = [cdtext](cdtext_field_t key, int track) {
    const char* value = cdtext_get_const(cdtext, key, static_cast<track_t>(track));
    if (value == nullptr) return std::string();
    // libcdio reads a cue sheet's text, and CD-Text in Latin-1, as Latin-1 and hands
    // it on in UTF-8, one character per byte read: a sheet saved as UTF-8 would show
    // "CafÃ©" for "Café". Those bytes are the disc's own again. Text with a character
    // above U+00FF came in another character set and is right as it is.
    const std::optional<std::string> bytes = Latin1Of(value);
    return FieldFromBytes(bytes ? *bytes : value);
  };
  auto entry = [&field](int track) {
    return TitleAndPerformer{field(CDTEXT_FIELD_TITLE, track),
                             field(CDTEXT_FIELD_PERFORMER, track)};
  };
  DiscText text;
  text.album = entry(0);
  for (int n = contents.FirstTrack().value; n <= contents.LastTrack().value; ++n) {
    if (TitleAndPerformer track = entry(n); !track.Empty()) text.tracks[n] = std::move(track);
  }
  if (text.Empty()) return nullptr;
  return std::make_shared<const DiscText>(std::move(text));
}

bool ReadPlainly(CdIo_t* cdio, FrameAddress start, int count, std::span<std::int16_t> out) {
  const lsn_t sector = cdio_lba_to_lsn(static_cast<lba_t>(start.value));
  std::vector<unsigned char> bytes(static_cast<std::size_t>(count) * kBytesPerFrame);
  if (cdio_read_audio_sectors(cdio, bytes.data(), sector, static_cast<std::uint32_t>(count)) !=
      DRIVER_OP_SUCCESS) {
    return false;
  }
  // CD audio is little-endian whatever the machine.
  for (std::size_t i = 0; i < static_cast<std::size_t>(count) * kInterleavedSamplesPerFrame; ++i) {
    out[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[2 * i]) |
                                       static_cast<std::uint16_t>(bytes[2 * i + 1]) << 8);
  }
  return true;
}

bool ReadFits(const DriveState& state, FrameAddress start, int count,
              std::span<const std::int16_t> out) {
  if (!state.contents || count < 0 ||
      out.size() < static_cast<std::size_t>(count) * kInterleavedSamplesPerFrame) {
    return false;
  }
  return count == 0 || (state.contents->Contains(start) &&
                        state.contents->Contains(start + FrameCount{count - 1}));
}

void Record(DriveState& state, DiscCondition condition, std::optional<TableOfContents> contents,
            SharedDiscText text) {
  const bool sameDisc = state.condition == DiscCondition::Ready && state.contents == contents;
  if (condition == DiscCondition::Ready && !sameDisc) ++state.loadCount;
  state.condition = condition;
  state.text = contents ? std::move(text) : nullptr;
  state.contents = std::move(contents);
}

Watcher::Watcher(std::function<void()> look) : look_(std::move(look)) {
  thread_ = std::thread([this] {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      looking_ = true;
      lock.unlock();
      look_();
      lock.lock();
      looking_ = false;
      lookEnded_.notify_all();
      if (stopping_) break;
      wake_.wait_for(lock, kLookEvery, [this] { return stopping_ || woken_; });
      woken_ = false;
    }
    if (whenLeft_) {
      // Left behind: nothing of this watcher may be touched after this call.
      const std::function<void()> leave = std::move(whenLeft_);
      lock.unlock();
      leave();
    }
  });
}

Watcher::~Watcher() {
  if (!thread_.joinable()) return;  // left behind, and ending by itself
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

bool Watcher::StopOrLeave(std::chrono::milliseconds limit, std::function<void()> whenLeft) {
  std::unique_lock lock(mutex_);
  stopping_ = true;
  wake_.notify_all();
  if (lookEnded_.wait_for(lock, limit, [this] { return !looking_; })) {
    lock.unlock();
    thread_.join();
    return true;
  }
  whenLeft_ = std::move(whenLeft);
  thread_.detach();
  return false;
}

void Watcher::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  wake_.notify_all();
}

}  // namespace lyrabox::cdaudio::cdio
