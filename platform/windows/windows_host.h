// The Windows host: everything platform.h asks of the machine, done with the system's
// own calls and paths ("c:\lyrabox\lbx.ini" is that file; nothing is mapped).
//
//   MciDevice           the system's MCI through mciSendStringA, logged on request
//   CoreDevice          our own portable device core (the demo disc), which also
//                       stands in for the CD drive's root: its serial and TrackNN.cda
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
// test) without a drive. The disc in it is seen at `driveRoot` ("d:\"): the volume
// serial and the track files of that root come from the device, not the system.
class CoreDevice final : public platform::DeviceCommands {
 public:
  CoreDevice(std::unique_ptr<cdaudio::Device> device, std::string driveRoot);

  platform::MciResult SendString(std::string_view command, char* reply,
                                 std::uint32_t replyLength,
                                 platform::WindowHandle callback) override;
  bool GetErrorString(platform::MciResult code, char* text, std::uint32_t length) override;

  // Whether `path` lies on the device's drive ("D:\Track01.cda", "d:\").
  bool OnDrive(std::string_view path) const;
  // The disc in it as Windows shows an audio CD: its volume serial (nothing without a
  // disc), and one file TrackNN.cda per track of a pure audio disc.
  std::optional<std::uint32_t> VolumeSerial();
  std::vector<std::string> TrackFileNames();

 private:
  std::unique_ptr<cdaudio::Device> device_;
  std::string driveRoot_;
};

class WindowsDisks final : public platform::Disks {
 public:
  // With `coreDrive`, its drive's root is answered by the device core.
  explicit WindowsDisks(CoreDevice* coreDrive = nullptr) : coreDrive_(coreDrive) {}

  std::optional<std::uint32_t> VolumeSerialNumber(std::string_view root) override;
  bool OrdinaryFileExists(std::string_view path) override;
  bool OrdinaryFileMatches(std::string_view pattern) override;
  std::string ReadTextFile(std::string_view path) override;
  void ReplaceFile(std::string_view path, std::string_view content) override;
  void CreateFolders(std::string_view path) override;

 private:
  bool CoreDriveMatches(std::string_view pattern);
  CoreDevice* coreDrive_;
};

class WindowsBoxes final : public platform::Boxes {
 public:
  // The window the boxes belong to (and keep disabled while open); none by default.
  void SetOwner(HWND owner) { owner_ = owner; }
  // Whether the last box shown was a message: an error the program reports.
  bool LastBoxWasMessage() const { return lastWasMessage_; }

  void Message(std::string_view text) override;
  bool Question(std::string_view text) override;
  std::string Input(std::string_view prompt, std::string_view title,
                    std::string_view defaultText) override;

 private:
  HWND owner_ = nullptr;
  bool lastWasMessage_ = false;
};

class WindowsProcess final : public platform::Process {
 public:
  // `instanceName` names the mutex that marks a running instance; `boxes` tells
  // EndNow whether the program ends on an error it reported (exit status 1) or
  // in the ordinary way (0).
  WindowsProcess(std::string instanceName, const WindowsBoxes* boxes)
      : instanceName_(std::move(instanceName)), boxes_(boxes) {}
  ~WindowsProcess() override;

  bool OtherInstanceRunning() override;
  std::string ArgumentText() override;
  void StartProgram(std::string_view commandLine, platform::WindowState state) override;
  [[noreturn]] void EndNow() override;

 private:
  std::string instanceName_;
  const WindowsBoxes* boxes_;
  HANDLE instanceMutex_ = nullptr;
};

// The argument text of a command line: what follows the program name (quoted or
// not) and the blanks after it.
std::string ArgumentsAfterProgram(std::string_view commandLine);

}  // namespace lyrabox::windows
