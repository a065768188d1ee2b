#include "cdaudio/cdio_drive.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
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
  ReplaceHandle(nullptr);
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
    ReplaceHandle(kind_ == Kind::Image ? OpenImage(path_) : cdio_open(path_.c_str(), DRIVER_DEVICE));
    if (handle_) {
      contents = ReadContents(handle_.get());
      if (!contents && kind_ == Kind::Device) trayOpen = mmc_get_tray_status(handle_.get()) == 1;
    }
    // A drive keeps its handle while empty, so that it can tell when a disc comes.
    if (!contents && kind_ == Kind::Image) ReplaceHandle(nullptr);
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
    ReplaceHandle(nullptr);
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
  std::lock_guard io(ioMutex_);
  return ReadSectors(start, count, out);
}

// One reader per handle, made on the first read of a real drive. It keeps its place,
// so that reading on from where the last read ended needs no seek.
class CdioDrive::ParanoiaReader {
 public:
  static std::unique_ptr<ParanoiaReader, ParanoiaDeleter> Make(CdIo_t* cdio) {
    cdrom_drive_t* drive = cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr);
    if (drive == nullptr) return nullptr;
    std::unique_ptr<ParanoiaReader, ParanoiaDeleter> reader(new ParanoiaReader(drive));
    if (cdio_cddap_open(drive) != 0) return nullptr;
    reader->paranoia_ = cdio_paranoia_init(drive);
    if (reader->paranoia_ == nullptr) return nullptr;
    // Full checking, but a sector that stays unreadable after the retries is given up
    // rather than retried for ever: the music must go on.
    cdio_paranoia_modeset(reader->paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    return reader;
  }

  ~ParanoiaReader() {
    if (paranoia_ != nullptr) cdio_paranoia_free(paranoia_);
    // The handle stays the drive's own.
    cdio_cddap_close_no_free_cdio(drive_);
  }
  ParanoiaReader(const ParanoiaReader&) = delete;
  ParanoiaReader& operator=(const ParanoiaReader&) = delete;

  bool Read(lsn_t sector, int count, std::span<std::int16_t> out) {
    if (sector != next_) {
      if (cdio_paranoia_seek(paranoia_, sector, SEEK_SET) < 0) return false;
      next_ = sector;
    }
    for (int f = 0; f < count; ++f) {
      // Samples come back in the machine's byte order.
      const std::int16_t* samples = cdio_paranoia_read_limited(paranoia_, nullptr, kRetries);
      if (samples == nullptr) {
        next_ = -1;
        return false;
      }
      std::copy_n(samples, kInterleavedSamplesPerFrame,
                  out.begin() + static_cast<std::ptrdiff_t>(f) *
                                    static_cast<std::ptrdiff_t>(kInterleavedSamplesPerFrame));
      ++next_;
    }
    return true;
  }

 private:
  static constexpr int kRetries = 10;
  explicit ParanoiaReader(cdrom_drive_t* drive) : drive_(drive) {}
  cdrom_drive_t* drive_;
  cdrom_paranoia_t* paranoia_ = nullptr;
  lsn_t next_ = -1;
};

void CdioDrive::ParanoiaDeleter::operator()(ParanoiaReader* reader) const { delete reader; }

void CdioDrive::ReplaceHandle(CdIo_t* handle) {
  paranoia_.reset();
  paranoiaTried_ = false;
  handle_.reset(handle);
}

bool CdioDrive::ReadSectors(FrameAddress start, int count, std::span<std::int16_t> out) {
  if (!handle_) return false;
  const lsn_t sector = cdio_lba_to_lsn(static_cast<lba_t>(start.value));
  if (kind_ == Kind::Device && !paranoiaTried_) {
    paranoiaTried_ = true;
    paranoia_ = ParanoiaReader::Make(handle_.get());
    if (!paranoia_) {
      std::fprintf(stderr, "The CD drive %s cannot do error-corrected reads: reading it plainly.\n",
                   path_.c_str());
    }
  }
  if (paranoia_) return paranoia_->Read(sector, count, out);

  std::vector<unsigned char> bytes(static_cast<std::size_t>(count) * kBytesPerFrame);
  if (cdio_read_audio_sectors(handle_.get(), bytes.data(), sector,
                              static_cast<std::uint32_t>(count)) != DRIVER_OP_SUCCESS) {
    return false;
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
