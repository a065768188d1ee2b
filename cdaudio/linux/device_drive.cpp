#include "cdaudio/linux/device_drive.h"

#include <cdio/cdio.h>
#include <cdio/mmc.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "base/tell_user.h"

namespace lyrabox::cdaudio {

std::optional<std::string> FirstCdDrive() {
  cdio::RouteLog();
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

std::shared_ptr<DeviceDrive> DeviceDrive::Open(std::string path, Watching watching) {
  cdio::RouteLog();
  std::shared_ptr<DeviceDrive> drive(new DeviceDrive(std::move(path)));
  drive->state_.condition = DiscCondition::Reading;
  if (watching == Watching::Background) {
    drive->watcher_ = std::make_unique<cdio::Watcher>([self = drive.get()] { self->Refresh(); });
  }
  return drive;
}

void DeviceDrive::Refresh() {
  std::lock_guard look(lookMutex_);
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

void DeviceDrive::CarryOutDoorRequest(DoorRequest request) {
  std::lock_guard io(ioMutex_);
  ReplaceHandle(nullptr);
  if (request == DoorRequest::Open) {
    if (cdio_eject_media_drive(path_.c_str()) != DRIVER_OP_SUCCESS) {
      TellUser("The CD drive " + path_ + " did not open.");
    }
  } else {
    driver_id_t driver = DRIVER_DEVICE;
    if (cdio_close_tray(path_.c_str(), &driver) != DRIVER_OP_SUCCESS) {
      TellUser("The CD drive " + path_ + " did not close.");
    }
  }
}

void DeviceDrive::Load() {
  std::optional<TableOfContents> contents;
  bool trayOpen = false;
  {
    std::lock_guard io(ioMutex_);
    // The drive keeps its handle while empty, so that it can tell when a disc comes.
    ReplaceHandle(cdio_open(path_.c_str(), DRIVER_DEVICE));
    if (handle_) {
      contents = cdio::ReadContents(handle_.get());
      if (!contents) trayOpen = mmc_get_tray_status(handle_.get()) == 1;
    }
  }
  const DiscCondition condition = contents  ? DiscCondition::Ready
                                  : trayOpen ? DiscCondition::DoorOpen
                                             : DiscCondition::NoDisc;
  SetState(condition, std::move(contents));
}

void DeviceDrive::SetState(DiscCondition condition, std::optional<TableOfContents> contents) {
  std::lock_guard lock(mutex_);
  cdio::Record(state_, condition, std::move(contents));
}

DriveState DeviceDrive::State() {
  std::lock_guard lock(mutex_);
  return state_;
}

bool DeviceDrive::OpenDoor() {
  {
    std::lock_guard lock(mutex_);
    // Some drives take an eject request for an open tray as "close".
    if (state_.condition == DiscCondition::DoorOpen) return true;
    doorRequest_ = DoorRequest::Open;
    state_.condition = DiscCondition::DoorOpen;
    state_.contents.reset();
  }
  if (watcher_) watcher_->Wake();
  return true;
}

bool DeviceDrive::CloseDoor() {
  {
    std::lock_guard lock(mutex_);
    if (state_.condition != DiscCondition::DoorOpen) return true;
    doorRequest_ = DoorRequest::Close;
    state_.condition = DiscCondition::Reading;
  }
  if (watcher_) watcher_->Wake();
  return true;
}

bool DeviceDrive::ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) {
  if (!cdio::ReadFits(State(), start, count, out)) return false;
  if (count == 0) return true;
  std::lock_guard io(ioMutex_);
  return ReadSectors(start, count, out);
}

// One reader per handle, made on the first read. It keeps its place, so that reading
// on from where the last read ended needs no seek.
class DeviceDrive::ParanoiaReader {
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

void DeviceDrive::ParanoiaDeleter::operator()(ParanoiaReader* reader) const { delete reader; }

void DeviceDrive::ReplaceHandle(CdIo_t* handle) {
  paranoia_.reset();
  paranoiaTried_ = false;
  handle_.reset(handle);
}

bool DeviceDrive::ReadSectors(FrameAddress start, int count, std::span<std::int16_t> out) {
  if (!handle_) return false;
  if (!paranoiaTried_) {
    paranoiaTried_ = true;
    paranoia_ = ParanoiaReader::Make(handle_.get());
    if (!paranoia_) {
      TellUser("The CD drive " + path_ + " cannot do error-corrected reads: reading it plainly.");
    }
  }
  if (paranoia_) {
    return paranoia_->Read(cdio_lba_to_lsn(static_cast<lba_t>(start.value)), count, out);
  }
  return cdio::ReadPlainly(handle_.get(), start, count, out);
}

}  // namespace lyrabox::cdaudio
