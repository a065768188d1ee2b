// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/linux/image_drive.h"

#include <cdio/cdio.h>
#include <sys/stat.h>

#include "base/ascii.h"
#include "base/tell_user.h"

namespace lyrabox::cdaudio {

namespace {

struct ImageFormat {
  std::string_view extension;
  CdIo_t* (*open)(const char* path);
};

// The one list of the disc images we read: a cue sheet or its bin file, a cdrdao
// table of contents, a Nero image.
constexpr ImageFormat kImageFormats[] = {
    {".cue", cdio_open_cue},
    {".toc", cdio_open_cdrdao},
    {".nrg", cdio_open_nrg},
    {".bin", cdio_open_bincue},
};

const ImageFormat* FormatOf(std::string_view path) {
  for (const ImageFormat& format : kImageFormats) {
    if (ascii::EndsWithIgnoringCase(path, format.extension)) return &format;
  }
  return nullptr;
}

}  // namespace

std::vector<std::string_view> DiscImageExtensions() {
  std::vector<std::string_view> extensions;
  for (const ImageFormat& format : kImageFormats) extensions.push_back(format.extension);
  return extensions;
}

bool IsDiscImagePath(std::string_view path) { return FormatOf(path) != nullptr; }

std::shared_ptr<ImageDrive> ImageDrive::Open(std::string path, Watching watching) {
  cdio::RouteLog();
  const ImageFormat* format = FormatOf(path);
  std::shared_ptr<ImageDrive> drive(
      new ImageDrive(std::move(path), format != nullptr ? format->open : nullptr));
  drive->Refresh();
  if (watching == Watching::Background) {
    drive->watcher_ = std::make_unique<cdio::Watcher>([self = drive.get()] { self->Refresh(); });
  }
  return drive;
}

void ImageDrive::Refresh() {
  std::lock_guard look(lookMutex_);
  const std::optional<FileSignature> signature = SignatureOf(path_);
  {
    std::lock_guard lock(mutex_);
    if (everLoaded_ && signature == loadedSignature_) return;
    // A changed file is a new disc, even in a drive whose door was opened.
    takenOut_ = false;
    loadedSignature_ = signature;
    everLoaded_ = true;
  }
  Load();
  if (State().condition != DiscCondition::Ready) {
    TellUser("The disc image " + path_ + " cannot be read as an audio disc.");
  }
}

void ImageDrive::Load() {
  std::optional<TableOfContents> contents;
  SharedDiscText text;
  {
    std::lock_guard io(ioMutex_);
    handle_.reset(open_ != nullptr ? open_(path_.c_str()) : nullptr);
    if (handle_) contents = cdio::ReadContents(handle_.get());
    if (contents) text = cdio::ReadText(handle_.get(), *contents);
    if (!contents) handle_.reset();
  }
  std::lock_guard lock(mutex_);
  const DiscCondition condition = contents ? DiscCondition::Ready : DiscCondition::NoDisc;
  cdio::Record(state_, condition, std::move(contents), std::move(text));
}

DriveState ImageDrive::State() {
  std::lock_guard lock(mutex_);
  return state_;
}

bool ImageDrive::OpenDoor() {
  std::lock_guard look(lookMutex_);
  {
    std::lock_guard io(ioMutex_);
    handle_.reset();
  }
  std::lock_guard lock(mutex_);
  takenOut_ = true;
  state_.condition = DiscCondition::DoorOpen;
  state_.contents.reset();
  state_.text.reset();
  return true;
}

bool ImageDrive::CloseDoor() {
  std::lock_guard look(lookMutex_);
  {
    std::lock_guard lock(mutex_);
    if (!takenOut_) return true;
    takenOut_ = false;
    loadedSignature_ = SignatureOf(path_);
  }
  Load();
  return true;
}

bool ImageDrive::ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) {
  if (!cdio::ReadFits(State(), start, count, out)) return false;
  if (count == 0) return true;
  std::lock_guard io(ioMutex_);
  return handle_ && cdio::ReadPlainly(handle_.get(), start, count, out);
}

std::optional<ImageDrive::FileSignature> ImageDrive::SignatureOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileSignature{static_cast<std::int64_t>(info.st_size),
                       static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                           info.st_mtim.tv_nsec,
                       static_cast<std::uint64_t>(info.st_dev),
                       static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace lyrabox::cdaudio
