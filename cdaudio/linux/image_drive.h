// SPDX-License-Identifier: GPL-3.0-or-later
// A disc image read through libcdio, as a drive. The kinds of image it reads are the
// ones DiscImageExtensions lists, told apart by the file's extension.
//
// An image file is read at once (it is a small local file) and looked at again every
// second: when it changes, it is loaded anew, like a new disc. "Opening the door" of an
// image takes the disc out until the door is closed or the file changes.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cdaudio/drive.h"
#include "cdaudio/linux/cdio_support.h"

namespace lyrabox::cdaudio {

// The extensions of the disc images ImageDrive reads (".cue", ".toc" ...), in the
// order a user is told them.
std::vector<std::string_view> DiscImageExtensions();

// Whether `path` ends in one of DiscImageExtensions, in any letter case.
bool IsDiscImagePath(std::string_view path);

class ImageDrive final : public Drive {
 public:
  // The image is read before this returns. A file that cannot be read as an audio
  // disc makes a drive without a disc, after one line on standard error.
  static std::shared_ptr<ImageDrive> Open(std::string path, Watching watching);

  // One look: notices a changed or vanished file and loads it anew.
  void Refresh();

  DriveState State() override;
  bool OpenDoor() override;
  bool CloseDoor() override;
  bool ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) override;

 private:
  using Opener = CdIo_t* (*)(const char* path);
  struct FileSignature {
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileSignature&, const FileSignature&) = default;
  };

  ImageDrive(std::string path, Opener open) : path_(std::move(path)), open_(open) {}
  static std::optional<FileSignature> SignatureOf(const std::string& path);
  // Opens the file anew and reads its contents into the state.
  void Load();

  const std::string path_;
  const Opener open_;  // null for an extension no image has

  std::mutex lookMutex_;  // one look, or one door move, at a time
  std::mutex ioMutex_;    // guards handle_: libcdio calls on it
  cdio::Handle handle_;

  std::mutex mutex_;  // guards what follows; never held while reading the file
  DriveState state_;
  bool takenOut_ = false;  // taken out with "door open"
  std::optional<FileSignature> loadedSignature_;
  bool everLoaded_ = false;

  std::unique_ptr<cdio::Watcher> watcher_;  // last: it stops before the rest goes
};

}  // namespace lyrabox::cdaudio
