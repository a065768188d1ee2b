// A real CD drive or a disc image (.cue, .toc, .nrg, .bin), read through libcdio.
//
// A real drive can take seconds to spin up, read its table of contents or move its
// tray, so everything that touches it happens in Refresh, which a background thread
// calls every second; State answers from what the last look saw, and door requests
// are handed to that thread. An image file is read at once (it is a small local file)
// and looked at again every second: when it changes, it is loaded anew, like a new
// disc. "Opening the door" of an image takes the disc out until the door is closed
// or the file changes.
//
// A real drive's audio is read with error correction (libcdio-paranoia), which rereads
// and matches what a scratched disc gives; a drive that cannot do that is read plainly.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "cdaudio/drive.h"

typedef struct _CdIo CdIo_t;

namespace lyrabox::cdaudio {

// Whether a path names a disc image that libcdio reads, by its extension.
bool IsDiscImagePath(std::string_view path);

// The device node of the system's first CD drive, or nothing when it has none.
std::optional<std::string> FirstCdDrive();

class CdioDrive final : public Drive {
 public:
  // Background: a thread looks at the drive or the file every second. ByHand: only
  // Refresh does (tests).
  enum class Watching { Background, ByHand };

  // The image is read before this returns.
  static std::shared_ptr<CdioDrive> ForImage(std::string path, Watching watching);
  // Reads as Reading until the first look has been taken.
  static std::shared_ptr<CdioDrive> ForDevice(std::string path, Watching watching);

  ~CdioDrive() override;
  CdioDrive(const CdioDrive&) = delete;
  CdioDrive& operator=(const CdioDrive&) = delete;

  // One look: carries out a pending door request, then notices a disc put in, taken
  // out or changed (a changed image file). May take as long as the drive takes.
  void Refresh();

  DriveState State() override;
  bool OpenDoor() override;
  bool CloseDoor() override;
  bool ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) override;

 private:
  enum class Kind { Image, Device };
  enum class DoorRequest { None, Open, Close };
  struct FileSignature {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileSignature&, const FileSignature&) = default;
  };
  struct CdioDeleter {
    void operator()(CdIo_t* cdio) const;
  };
  using CdioHandle = std::unique_ptr<CdIo_t, CdioDeleter>;
  // Error-corrected reading of a real drive (libcdio-paranoia) on handle_.
  class ParanoiaReader;
  struct ParanoiaDeleter {
    void operator()(ParanoiaReader* reader) const;
  };

  CdioDrive(Kind kind, std::string path);
  void StartWatching();
  void RefreshImage();
  void RefreshDevice();
  void CarryOutDoorRequest(DoorRequest request);
  // Opens the source anew and reads its contents into the state.
  void Load();
  void SetState(DiscCondition condition, std::optional<TableOfContents> contents);
  static std::optional<FileSignature> SignatureOf(const std::string& path);
  // With ioMutex_ held: a new handle (or none), and error correction set up anew.
  void ReplaceHandle(CdIo_t* handle);
  // With ioMutex_ held: reads through the error correction when the drive allows it,
  // else plainly. `out` gets count frames of interleaved samples.
  bool ReadSectors(FrameAddress start, int count, std::span<std::int16_t> out);

  const Kind kind_;
  const std::string path_;

  std::mutex lookMutex_;  // one look, or one image door move, at a time
  std::mutex ioMutex_;    // guards handle_ and paranoia_: libcdio calls on them
  CdioHandle handle_;
  std::unique_ptr<ParanoiaReader, ParanoiaDeleter> paranoia_;
  bool paranoiaTried_ = false;  // for this handle

  std::mutex mutex_;  // guards what follows; never held while waiting on the drive
  DriveState state_;
  DoorRequest doorRequest_ = DoorRequest::None;
  bool imageOut_ = false;  // an image taken out with "door open"
  std::optional<FileSignature> loadedSignature_;
  bool everLoaded_ = false;
  bool stopping_ = false;
  std::condition_variable wake_;

  std::thread watcher_;
};

}  // namespace lyrabox::cdaudio
