#include "cdaudio/cdio_drive.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace lyrabox::cdaudio {

namespace {

std::string LowerExtension(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
    return "";
  }
  std::string extension(path.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// libcdio's own messages: errors go to standard error once each (a drive looked at
// every second must not repeat itself); the chatter below that is dropped.
void LogHandler(cdio_log_level_t level, const char message[]) {
  static std::mutex mutex;
  static std::string last;
  if (level < CDIO_LOG_ERROR || message == nullptr) return;
  std::lock_guard lock(mutex);
  if (last == message) return;
  last = message;
  std::fprintf(stderr, "libcdio: %s\n", message);
}

void RouteLibcdioLog() {
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

CdIo_t* OpenImage(const std::string& path) {
  const std::string extension = LowerExtension(path);
  if (extension == "cue") return cdio_open_cue(path.c_str());
  if (extension == "bin") return cdio_open_bincue(path.c_str());
  if (extension == "toc") return cdio_open_cdrdao(path.c_str());
  if (extension == "nrg") return cdio_open_nrg(path.c_str());
  return nullptr;
}

constexpr auto kLookEvery = std::chrono::seconds(1);

}  // namespace

bool IsDiscImagePath(std::string_view path) {
  const std::string extension = LowerExtension(path);
  return extension == "cue" || extension == "bin" || extension == "toc" || extension == "nrg";
}

std::optional<std::string> FirstCdDrive() {
  RouteLibcdioLog();
  char** devices = cdio_get_devices(DRIVER_DEVICE);
  std::optional<std::string> first;
  for (char** device = devices; device != nullptr && *device != nullptr; ++device) {
    struct stat info {};
    if (::stat(*device, &info) == 0 && S_ISBLK(info.st_mode)) {
      first = *device;
      break;
    }
  }
  if (devices != nullptr) cdio_free_device_list(devices);
  return first;
}

void CdioDrive::CdioDeleter::operator()(CdIo_t* cdio) const { cdio_destroy(cdio); }

CdioDrive::CdioDrive(Kind kind, std::string path) : kind_(kind), path_(std::move(path)) {
  RouteLibcdioLog();
}

std::shared_ptr<CdioDrive> CdioDrive::ForImage(std::string path, Watching watching) {
  std::shared_ptr<CdioDrive> drive(new CdioDrive(Kind::Image, std::move(path)));
  drive->Refresh();
  if (watching == Watching::Background) drive->StartWatching();
  return drive;
}

std::shared_ptr<CdioDrive> CdioDrive::ForDevice(std::string path, Watching watching) {
  std::shared_ptr<CdioDrive> drive(new CdioDrive(Kind::Device, std::move(path)));
  drive->state_.condition = DiscCondition::Reading;
  if (watching == Watching::Background) drive->StartWatching();
  return drive;
}

CdioDrive::~CdioDrive() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (watcher_.joinable()) watcher_.join();
}

void CdioDrive::StartWatching() {
  watcher_ = std::thread([this] {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      lock.unlock();
      Refresh();
      lock.lock();
      wake_.wait_for(lock, kLookEvery,
                     [this] { return stopping_ || doorRequest_ != DoorRequest::None; });
    }
  });
}

void CdioDrive::Refresh() {
  std::lock_guard look(lookMutex_);
  if (kind_ == Kind::Image) {
    RefreshImage();
  } else {
    RefreshDevice();
  }
}

void CdioDrive::RefreshImage() {
  const std::optional<FileSignature> signature = SignatureOf(path_);
  {
    std::lock_guard lock(mutex_);
    if (everLoaded_ && signature == loadedSignature_) return;
    // A changed file is a new disc, even in a drive whose door was opened.
    imageOut_ = false;
    loadedSignature_ = signature;
    everLoaded_ = true;
  }
  Load();
  if (State().condition != DiscCondition::Ready) {
    std::fprintf(stderr, "The disc image %s cannot be read as an audio disc.\n", path_.c_str());
  }
}

void CdioDrive::RefreshDevice() {
  DoorRequest request;
  {
    std::lock_guard lock(mutex_);
    request = std::exchange(doorRequest_, DoorRequest::None);
  }
  if (request != DoorRequest::None) CarryOutDoorRequest(request);

  bool changed = false;
  bool trayOpen = false;
  {
    std::lock_guard io(ioMutex_);
    if (handle_) {
      // An error counts as a change: look again from scratch.
      changed = cdio_get_media_changed(handle_.get()) != 0;
      if (!changed) trayOpen = mmc_get_tray_status(handle_.get()) == 1;
    }
  }
  const DriveState now = State();
  if (trayOpen) {
    if (now.condition != DiscCondition::DoorOpen) SetState(DiscCondition::DoorOpen, std::nullopt);
    return;
  }
  if (!changed && now.condition == DiscCondition::Ready) return;
  Load();
}

void CdioDrive::CarryOutDoorRequest(DoorRequest request) {
  std::lock_guard io(ioMutex_);
  handle_.reset();
  if (request == DoorRequest::Open) {
    if (cdio_eject_media_drive(path_.c_str()) != DRIVER_OP_SUCCESS) {
      std::fprintf(stderr, "The CD drive %s did not open.\n", path_.c_str());
    }
  } else {
    driver_id_t driver = DRIVER_DEVICE;
    if (cdio_close_tray(path_.c_str(), &driver) != DRIVER_OP_SUCCESS) {
      std::fprintf(stderr, "The CD drive %s did not close.\n", path_.c_str());
    }
  }
}

void CdioDrive::Load() {
  std::optional<TableOfContents> contents;
  bool trayOpen = false;
  {
    std::lock_guard io(ioMutex_);
    handle_.reset(kind_ == Kind::Image ? OpenImage(path_) : cdio_open(path_.c_str(), DRIVER_DEVICE));
    if (handle_) {
      contents = ReadContents(handle_.get());
      if (!contents && kind_ == Kind::Device) trayOpen = mmc_get_tray_status(handle_.get()) == 1;
    }
    // A drive keeps its handle while empty, so that it can tell when a disc comes.
    if (!contents && kind_ == Kind::Image) handle_.reset();
  }
  if (contents) {
    SetState(DiscCondition::Ready, std::move(contents));
  } else {
    SetState(trayOpen ? DiscCondition::DoorOpen : DiscCondition::NoDisc, std::nullopt);
  }
}

void CdioDrive::SetState(DiscCondition condition, std::optional<TableOfContents> contents) {
  std::lock_guard lock(mutex_);
  // A second look that finds the disc unchanged (a drive may report a change just
  // for having been opened) is not a new disc: the device would lose its place.
  const bool sameDisc = state_.condition == DiscCondition::Ready && state_.contents == contents;
  if (condition == DiscCondition::Ready && !sameDisc) ++state_.loadCount;
  state_.condition = condition;
  state_.contents = std::move(contents);
}

DriveState CdioDrive::State() {
  std::lock_guard lock(mutex_);
  return state_;
}

bool CdioDrive::OpenDoor() {
  if (kind_ == Kind::Device) {
    {
      std::lock_guard lock(mutex_);
      // Some drives take an eject request for an open tray as "close".
      if (state_.condition == DiscCondition::DoorOpen) return true;
      doorRequest_ = DoorRequest::Open;
      state_.condition = DiscCondition::DoorOpen;
      state_.contents.reset();
    }
    wake_.notify_all();
    return true;
  }
  std::lock_guard look(lookMutex_);
  {
    std::lock_guard io(ioMutex_);
    handle_.reset();
  }
  std::lock_guard lock(mutex_);
  imageOut_ = true;
  state_.condition = DiscCondition::DoorOpen;
  state_.contents.reset();
  return true;
}

bool CdioDrive::CloseDoor() {
  if (kind_ == Kind::Device) {
    {
      std::lock_guard lock(mutex_);
      if (state_.condition != DiscCondition::DoorOpen) return true;
      doorRequest_ = DoorRequest::Close;
      state_.condition = DiscCondition::Reading;
    }
    wake_.notify_all();
    return true;
  }
  std::lock_guard look(lookMutex_);
  {
    std::lock_guard lock(mutex_);
    if (!imageOut_) return true;
    imageOut_ = false;
    loadedSignature_ = SignatureOf(path_);
  }
  Load();
  return true;
}

bool CdioDrive::ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) {
  const DriveState state = State();
  if (!state.contents || count < 0 ||
      out.size() < static_cast<std::size_t>(count) * kInterleavedSamplesPerFrame) {
    return false;
  }
  if (count == 0) return true;
  if (!state.contents->Contains(start) ||
      !state.contents->Contains(start + FrameCount{count - 1})) {
    return false;
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(count) * kBytesPerFrame);
  {
    std::lock_guard io(ioMutex_);
    if (!handle_) return false;
    const lsn_t sector = cdio_lba_to_lsn(static_cast<lba_t>(start.value));
    if (cdio_read_audio_sectors(handle_.get(), bytes.data(), sector,
                                static_cast<std::uint32_t>(count)) != DRIVER_OP_SUCCESS) {
      return false;
    }
  }
  // CD audio is little-endian whatever the machine.
  for (std::size_t i = 0; i < static_cast<std::size_t>(count) * kInterleavedSamplesPerFrame; ++i) {
    out[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[2 * i]) |
                                       static_cast<std::uint16_t>(bytes[2 * i + 1]) << 8);
  }
  return true;
}

std::optional<CdioDrive::FileSignature> CdioDrive::SignatureOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileSignature{static_cast<std::int64_t>(info.st_size),
                       static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                           info.st_mtim.tv_nsec,
                       static_cast<std::uint64_t>(info.st_dev),
                       static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace lyrabox::cdaudio
