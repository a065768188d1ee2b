// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/linux/device_drive.h"

#include <cdio/cdio.h>
#include <cdio/memory.h>
#include <cdio/mmc.h>
#include <cdio/mmc_ll_cmds.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <malloc.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <utility>

#include "base/tell_user.h"

namespace lyrabox::cdaudio {

namespace {

// How long eject waits for a read under way to let go of the drive. A read that hangs
// in the drive must not hold the user's command for ever: the eject is then tried with
// the read still waiting, which a drive may take (and which may end that read).
constexpr auto kEjectWait = std::chrono::seconds(2);

// How long closing waits for a look at the drive under way.
constexpr auto kLookWait = std::chrono::seconds(1);

// Whether a read failed because the disc has left the drive or been changed: asked
// after the failure, the drive answers "not ready" (no medium, tray open, becoming
// ready) or "unit attention" (the medium changed) instead of a read error of the disc.
bool DiscGone(CdIo_t* cdio) {
  if (mmc_test_unit_ready(cdio, 0) == DRIVER_OP_SUCCESS) return false;
  cdio_mmc_request_sense_t* sense = nullptr;
  const int length = mmc_last_cmd_sense(cdio, &sense);
  // A drive that refuses and says nothing more is looked at again too.
  bool gone = true;
  if (length > 2 && sense != nullptr) {
    gone = sense->sense_key == CDIO_MMC_SENSE_KEY_NOT_READY ||
           sense->sense_key == CDIO_MMC_SENSE_KEY_UNIT_ATTENTION;
  }
  cdio_free(sense);
  return gone;
}

}  // namespace

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

ResultCode CdDriveProblem(const std::string& path) {
  struct stat info {};
  // A CD drive is a block device on Linux; opening another kind of node (a tape) may
  // do something.
  if (::stat(path.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) return kNotACdDrive;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == EACCES || errno == EPERM ? kCdDriveForbidden : kCdDriveRefused;
  const bool cd = ::ioctl(fd, CDROM_GET_CAPABILITY, 0) != -1;
  ::close(fd);
  return cd ? kSuccess : kNotACdDrive;
}

std::shared_ptr<DeviceDrive> DeviceDrive::Open(std::string path, Watching watching) {
  cdio::RouteLog();
  // A look stuck in the drive (one that never settles) must not hold the close: the
  // drive is then left to its watcher, which ends it when that look ends.
  std::shared_ptr<DeviceDrive> drive(new DeviceDrive(std::move(path)), [](DeviceDrive* gone) {
    if (gone->watcher_ && !gone->watcher_->StopOrLeave(kLookWait, [gone] { delete gone; })) {
      return;
    }
    delete gone;
  });
  drive->state_.condition = DiscCondition::Reading;
  if (watching == Watching::Background) {
    drive->watcher_ = std::make_unique<cdio::Watcher>([self = drive.get()] { self->Refresh(); });
  }
  return drive;
}

void DeviceDrive::Refresh() {
  std::lock_guard look(lookMutex_);
  bool closeTray;
  std::uint64_t doorMoves;
  {
    std::lock_guard lock(mutex_);
    closeTray = std::exchange(closeRequested_, false);
    doorMoves = doorMoves_;
  }
  if (closeTray) CloseTray();

  bool changed = false;
  bool trayOpen = false;
  {
    std::lock_guard io(ioMutex_);
    if (handle_) {
      // An error counts as a change: look again from scratch.
      changed = cdio_get_media_changed(handle_.get()) != 0;
      if (!changed) trayOpen = mmc_get_tray_status(handle_.get()) == 1;
    } else {
      // Without a handle no change can be seen: look again, so that a disc never
      // stays "ready" on a drive that is not open.
      changed = true;
    }
  }
  const DriveState now = State();
  if (trayOpen) {
    if (now.condition != DiscCondition::DoorOpen) {
      RecordLook(doorMoves, DiscCondition::DoorOpen, std::nullopt);
    }
    return;
  }
  if (!changed && now.condition == DiscCondition::Ready) return;
  Load(doorMoves);
}

void DeviceDrive::CloseTray() {
  std::lock_guard io(ioMutex_);
  ReplaceHandle(nullptr);
  driver_id_t driver = DRIVER_DEVICE;
  if (cdio_close_tray(path_.c_str(), &driver) != DRIVER_OP_SUCCESS) {
    TellUser("The CD drive " + path_ + " did not close.");
  }
}

void DeviceDrive::Load(std::uint64_t doorMoves) {
  std::optional<TableOfContents> contents;
  SharedDiscText text;
  bool trayOpen = false;
  {
    std::lock_guard io(ioMutex_);
    // The drive keeps its handle while empty, so that it can tell when a disc comes.
    ReplaceHandle(cdio_open(path_.c_str(), DRIVER_DEVICE));
    if (handle_) {
      contents = cdio::ReadContents(handle_.get());
      if (contents) text = cdio::ReadText(handle_.get(), *contents);
      if (!contents) trayOpen = mmc_get_tray_status(handle_.get()) == 1;
    }
  }
  const DiscCondition condition = contents  ? DiscCondition::Ready
                                  : trayOpen ? DiscCondition::DoorOpen
                                             : DiscCondition::NoDisc;
  RecordLook(doorMoves, condition, std::move(contents), std::move(text));
}

void DeviceDrive::RecordLook(std::uint64_t doorMoves, DiscCondition condition,
                             std::optional<TableOfContents> contents, SharedDiscText text) {
  {
    std::lock_guard lock(mutex_);
    // An eject that came while the drive was being looked at has closed the handle
    // this look opened and recorded the open door: what the look saw is out of date,
    // and the next look opens the drive again.
    if (doorMoves_ != doorMoves) return;
    cdio::Record(state_, condition, std::move(contents), std::move(text));
  }
  settled_.notify_all();
}

void DeviceDrive::LoseDisc() {
  {
    std::lock_guard lock(mutex_);
    if (state_.condition != DiscCondition::Ready) return;
    state_.condition = DiscCondition::Reading;
    state_.contents.reset();
    state_.text.reset();
  }
  if (watcher_) watcher_->Wake();
}

DriveState DeviceDrive::State() {
  std::lock_guard lock(mutex_);
  return state_;
}

void DeviceDrive::AwaitSettled(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  settled_.wait_for(lock, limit, [this] { return state_.condition != DiscCondition::Reading; });
}

bool DeviceDrive::OpenDoor() {
  {
    std::lock_guard lock(mutex_);
    // Some drives take an eject request for an open tray as "close".
    if (state_.condition == DiscCondition::DoorOpen) return true;
  }
  bool opened;
  {
    // The drive refuses an eject while the node is open elsewhere: our handle goes
    // first, and comes back when the drive refuses (locked), so that play goes on.
    std::unique_lock io(ioMutex_, kEjectWait);
    if (io.owns_lock()) ReplaceHandle(nullptr);
    opened = cdio_eject_media_drive(path_.c_str()) == DRIVER_OP_SUCCESS;
    if (!opened && io.owns_lock()) ReplaceHandle(cdio_open(path_.c_str(), DRIVER_DEVICE));
  }
  if (!opened) return false;
  {
    std::lock_guard lock(mutex_);
    closeRequested_ = false;
    ++doorMoves_;
    state_.condition = DiscCondition::DoorOpen;
    state_.contents.reset();
    state_.text.reset();
  }
  settled_.notify_all();
  if (watcher_) watcher_->Wake();
  return true;
}

bool DeviceDrive::CloseDoor() {
  {
    std::lock_guard lock(mutex_);
    if (state_.condition != DiscCondition::DoorOpen) return true;
    closeRequested_ = true;
    ++doorMoves_;
    state_.condition = DiscCondition::Reading;
  }
  if (watcher_) watcher_->Wake();
  return true;
}

bool DeviceDrive::ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) {
  if (!cdio::ReadFits(State(), start, count, out)) return false;
  if (count == 0) return true;
  bool gone = false;
  bool read;
  {
    std::lock_guard io(ioMutex_);
    read = ReadSectors(start, count, out, gone);
  }
  if (gone) LoseDisc();
  return read && !gone;
}

// One reader per handle, made on the first read. It keeps its place, so that reading
// on from where the last read ended needs no seek.
class DeviceDrive::ParanoiaReader {
 public:
  static std::unique_ptr<ParanoiaReader, ParanoiaDeleter> Make(CdIo_t* cdio) {
    cdrom_drive_t* drive = cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr);
    if (drive == nullptr) return nullptr;
    std::unique_ptr<ParanoiaReader, ParanoiaDeleter> reader(new ParanoiaReader(drive));
    KeepLargeBlocksApart();
    if (cdio_cddap_open(drive) != 0 || !reader->Renew()) return nullptr;
    // Every read paranoia makes goes through ReadWatched, which notices a disc that
    // has gone and then fails the rest of paranoia's tries at once.
    reader->read_ = drive->read_audio;
    drive->read_audio = &ReadWatched;
    return reader;
  }

  ~ParanoiaReader() {
    if (paranoia_ != nullptr) cdio_paranoia_free(paranoia_);
    // The handle stays the drive's own.
    cdio_cddap_close_no_free_cdio(drive_);
  }
  ParanoiaReader(const ParanoiaReader&) = delete;
  ParanoiaReader& operator=(const ParanoiaReader&) = delete;

  // Lets go of what was read at the last place; the next read starts afresh.
  void Rest() {
    if (paranoia_ != nullptr) cdio_paranoia_free(paranoia_);
    paranoia_ = nullptr;
    next_ = -1;
    // The small blocks of paranoia's reads (their flags, its fragments) lie among
    // others in the heap, which glibc gives back to the system only from its top: the
    // pages they leave free go back now, so that the next play starts from the size
    // of the last rest rather than from the largest the player has been.
    ::malloc_trim(0);
  }

  // False on a read error; `gone` then tells whether the disc has left the drive.
  bool Read(lsn_t sector, int count, std::span<std::int16_t> out, bool& gone) {
    reading_ = this;
    gone_ = false;
    const bool read = ReadFrames(sector, count, out);
    reading_ = nullptr;
    gone = gone_;
    return read && !gone_;
  }

 private:
  static constexpr int kRetries = 10;
  // How much paranoia reads from the drive at a time: one second of sound. Paranoia
  // keeps up to its last 15 reads, at 3.5 KB a sector with their flags; at its own
  // 1200 sectors (the size of a large drive cache, which it reads past so that a
  // second read comes from the disc) that is 63 MB, and 3 s of reading on a 10x drive
  // before the first sound after a seek. At 75 it is 4 MB at most, and the sound after
  // a seek is there in a fifth of a second. Every sector is still read twice and
  // compared, with jitter, scratch repair and retries as before; a drive whose cache
  // holds more than a second of sound may answer the second read from its cache.
  static constexpr int kReadSectors = 75;
  // glibc's default threshold for a block of its own mapping: 128 KiB.
  static constexpr int kLargeBlockBytes = 128 * 1024;
  using ReadFunction = long (*)(cdrom_drive_t*, void*, lsn_t, long);
  explicit ParanoiaReader(cdrom_drive_t* drive) : drive_(drive) {}

  static long ReadWatched(cdrom_drive_t* drive, void* buffer, lsn_t begin, long sectors) {
    ParanoiaReader* self = reading_;
    if (self == nullptr || self->gone_) return -1;
    const long got = self->read_(drive, buffer, begin, sectors);
    if (got <= 0 && sectors > 0) self->gone_ = DiscGone(drive->p_cdio);
    return got;
  }

  // A paranoia of its own, with nothing read yet. False when it cannot be made.
  bool Renew() {
    if (paranoia_ != nullptr) cdio_paranoia_free(paranoia_);
    paranoia_ = cdio_paranoia_init(drive_);
    if (paranoia_ == nullptr) return false;
    // Full checking, but a sector that stays unreadable after the retries is given up
    // rather than retried for ever: the music must go on.
    cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    cdio_paranoia_cachemodel_size(paranoia_, kReadSectors);
    return true;
  }

  // Paranoia's sort index is one calloc of 11 MB, made with every paranoia, that is at
  // every new place (its size comes from the 1200 sectors paranoia starts with, before
  // cachemodel_size; only the part a read fills is touched). glibc raises the size
  // from which a block gets a mapping of its own to that of the largest such block
  // freed: after the first paranoia has gone, the next index would be carved out of
  // the heap and cleared by hand, 11 MB resident, and the heap kept that large. A
  // threshold set once (glibc's own default) stays where it is, so that a large block
  // has a mapping of its own and goes back to the system when it is freed.
  static void KeepLargeBlocksApart() {
    static std::once_flag once;
    std::call_once(once, [] { ::mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes); });
  }

  bool ReadFrames(lsn_t sector, int count, std::span<std::int16_t> out) {
    if (sector != next_) {
      // Paranoia keeps its last reads at the old place (after a move back, all 15 of
      // them: 4 MB) until as many reads have been made at the new one, where they are
      // of no use: it starts afresh instead.
      if (!Renew() || cdio_paranoia_seek(paranoia_, sector, SEEK_SET) < 0) {
        next_ = -1;
        return false;
      }
      next_ = sector;
    }
    for (int f = 0; f < count; ++f) {
      // Samples come back in the machine's byte order.
      const std::int16_t* samples = cdio_paranoia_read_limited(paranoia_, nullptr, kRetries);
      if (samples == nullptr || gone_) {
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

  static thread_local ParanoiaReader* reading_;  // the reader whose Read is under way
  cdrom_drive_t* drive_;
  cdrom_paranoia_t* paranoia_ = nullptr;
  ReadFunction read_ = nullptr;  // paranoia's own way to read the drive
  bool gone_ = false;
  lsn_t next_ = -1;
};

thread_local DeviceDrive::ParanoiaReader* DeviceDrive::ParanoiaReader::reading_ = nullptr;

void DeviceDrive::ParanoiaDeleter::operator()(ParanoiaReader* reader) const { delete reader; }

void DeviceDrive::Rest() {
  std::lock_guard io(ioMutex_);
  if (paranoia_) paranoia_->Rest();
}

void DeviceDrive::ReplaceHandle(CdIo_t* handle) {
  paranoia_.reset();
  paranoiaTried_ = false;
  handle_.reset(handle);
}

bool DeviceDrive::ReadSectors(FrameAddress start, int count, std::span<std::int16_t> out,
                              bool& gone) {
  if (!handle_) return false;
  if (!paranoiaTried_) {
    paranoiaTried_ = true;
    paranoia_ = ParanoiaReader::Make(handle_.get());
    if (!paranoia_) {
      TellUser("The CD drive " + path_ + " cannot do error-corrected reads: reading it plainly.");
    }
  }
  if (paranoia_) {
    return paranoia_->Read(cdio_lba_to_lsn(static_cast<lba_t>(start.value)), count, out, gone);
  }
  if (cdio::ReadPlainly(handle_.get(), start, count, out)) return true;
  gone = DiscGone(handle_.get());
  return false;
}

}  // namespace lyrabox::cdaudio
