// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows host: everything platform.h asks of the machine, done with the system's
// own calls and paths ("c:\lyrabox\lbx.ini" is that file; nothing is mapped).
//
//   MciDevice           the system's MCI through mciSendStringA, logged on request
//   CoreDrive           our own portable device core (the demo disc) standing in for
//                       a CD drive: its commands, its serial and its TrackNN.cda
//   WindowsDisks        volume serials, file search, text files, atomic replace
//   WindowsProcess      single instance, the argument text, program starts, the end
//   WindowsBoxes        message, question and input boxes titled "Lyrabox"
//
// Every call comes from the user-interface thread and blocks until done.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "cdaudio/cdaudio.h"
#include "cdaudio/mci_log.h"
#include "platform/audio_cd/device_channel.h"
#include "platform/platform.h"

namespace lyrabox::windows {

class MciDevice final : public platform::DeviceCommands {
 public:
  // With `log`, every command string goes into it with its result code and reply.
  explicit MciDevice(std::unique_ptr<cdaudio::MciLog> log = nullptr) : log_(std::move(log)) {}

  platform::MciResult SendString(std::string_view command, char* reply,
                                 std::uint32_t replyLength,
                                 platform::WindowHandle callback) override;
  bool GetErrorString(platform::MciResult code, char* text, std::uint32_t length) override;

 private:
  std::unique_ptr<cdaudio::MciLog> log_;
};

// The device core in place of the system's CD audio device, for a machine (or a
// test) without a drive. The disc in it is seen in the drive `letter` ('d'): the volume
// serial and the track files of that root come from the device, not the system.
class CoreDrive {
 public:
  CoreDrive(std::unique_ptr<cdaudio::Device> device, char letter)
      : device_(std::move(device)), channel_(*device_), letter_(letter) {}

  platform::AudioCdChannel& channel() { return channel_; }
  // Whether `path` lies on the drive ("D:\Track01.cda", "d:\", "d:").
  bool OnDrive(std::string_view path) const;

 private:
  std::unique_ptr<cdaudio::Device> device_;
  platform::AudioCdChannel channel_;
  char letter_;
};

class WindowsDisks final : public platform::Disks {
 public:
  // With `coreDrive`, its drive's root is answered by the device core.
  explicit WindowsDisks(CoreDrive* coreDrive = nullptr) : coreDrive_(coreDrive) {}

  std::optional<std::uint32_t> VolumeSerialNumber(std::string_view root) override;
  bool OrdinaryFileExists(std::string_view path) override;
  bool OrdinaryFileMatches(std::string_view pattern) override;
  std::string ReadTextFile(std::string_view path) override;
  void ReplaceFile(std::string_view path, std::string_view content) override;
  void CreateFolders(std::string_view path) override;

 private:
  bool CoreDriveMatches(std::string_view pattern);
  CoreDrive* coreDrive_;
};

class WindowsBoxes final : public platform::Boxes {
 public:
  // The window the boxes belong to (and keep disabled while open); none by default.
  void SetOwner(HWND owner) { owner_ = owner; }

  void Message(std::string_view text) override;
  bool Question(std::string_view text) override;
  std::string Input(std::string_view prompt, std::string_view title,
                    std::string_view defaultText) override;

 private:
  HWND owner_ = nullptr;
};

class WindowsProcess final : public platform::Process {
 public:
  // `instanceName` names the mutex that marks a running instance.
  explicit WindowsProcess(std::string instanceName) : instanceName_(std::move(instanceName)) {}
  ~WindowsProcess() override;

  bool OtherInstanceRunning() override;
  std::string ArgumentText() override;
  void StartProgram(std::string_view commandLine, platform::WindowState state) override;
  [[noreturn]] void EndNow(platform::ExitStatus status) override;

 private:
  std::string instanceName_;
  HANDLE instanceMutex_ = nullptr;
};

// The argument text of a command line: what follows the program name (quoted or
// not) and the blanks after it.
std::string ArgumentsAfterProgram(std::string_view commandLine);

}  // namespace lyrabox::windows
