// SPDX-License-Identifier: GPL-3.0-or-later
// Test doubles for every platform interface and for the window. They record what the
// logic does, in order, and answer from a script. A shared journal (optional) shows
// device commands and window changes interleaved.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/window.h"
#include "platform/platform.h"

namespace lyrabox::testing {

using Journal = std::vector<std::string>;

// --- Device -----------------------------------------------------------------------
struct SentCommand {
  std::string command;
  std::uint32_t replyLength;
  platform::WindowHandle callback;
};

class FakeDevice : public platform::DeviceCommands {
 public:
  struct Answer {
    std::optional<std::string> reply;  // nothing or empty: the device writes nothing
    platform::MciResult code = 0;
  };

  // Scripts the answer to `command` (exact text). Answers queued for the same command
  // are used in turn; the last one stays.
  void On(const std::string& command, std::string reply, platform::MciResult code = 0);
  // The command fails with `code` and writes nothing into the reply buffer.
  void Fail(const std::string& command, platform::MciResult code);
  // Replaces every answer scripted for `command` with this one, which stays.
  void Set(const std::string& command, std::string reply, platform::MciResult code = 0);
  // What an unscripted command gets: success and no reply unless changed.
  Answer unscripted{};

  platform::MciResult SendString(std::string_view command, char* reply,
                                 std::uint32_t replyLength,
                                 platform::WindowHandle callback) override;
  bool GetErrorString(platform::MciResult code, char* text, std::uint32_t length) override;
  std::optional<platform::DiscSnapshot> Disc() override { return disc; }

  std::vector<std::string> Commands() const;
  void ClearLog() { sent.clear(); }

  std::vector<SentCommand> sent;
  // What a look at the disc gives; none by default, as from the system's own device.
  std::optional<platform::DiscSnapshot> disc;
  std::map<platform::MciResult, std::string> errorTexts{
      {263, "The specified device is not open or is not recognized by MCI."},
      {276, "The device driver is not ready."},
      {282, "The specified parameter is out of range for the specified command."}};
  Journal* journal = nullptr;

 private:
  std::map<std::string, std::deque<Answer>> script_;
};

// --- Disks ------------------------------------------------------------------------
class FakeDisks : public platform::Disks {
 public:
  enum class Kind { Ordinary, Hidden, System, Folder };

  // Paths are Windows paths; letter case is not told apart. Adding an entry adds the
  // folders above it.
  void AddFile(const std::string& path, std::string content, Kind kind = Kind::Ordinary);
  void AddFolder(const std::string& path);
  void Remove(const std::string& path);
  void SetSerial(const std::string& root, std::uint32_t serial) { serials_[Key(root)] = serial; }
  void ClearSerial(const std::string& root) { serials_.erase(Key(root)); }

  bool Has(const std::string& path) const;
  std::string Content(const std::string& path) const;  // "" when absent
  std::vector<std::string> Files() const;              // every non-folder entry

  // Fault switch: the next ReplaceFile writes its temporary file, then fails (as if
  // the disk filled up or the machine went down before the rename) with this error.
  std::optional<int> failNextReplaceWith;
  int replaceCount = 0;
  // Each drive setting the logic handed on, in turn.
  std::vector<std::optional<std::string>> driveSettingsFollowed;

  std::optional<std::uint32_t> VolumeSerialNumber(std::string_view root) override;
  bool OrdinaryFileExists(std::string_view path) override;
  bool OrdinaryFileMatches(std::string_view pattern) override;
  std::string ReadTextFile(std::string_view path) override;
  void ReplaceFile(std::string_view path, std::string_view content) override;
  void CreateFolders(std::string_view path) override;
  void FollowDriveSetting(const std::optional<std::string>& settingRoot) override {
    driveSettingsFollowed.push_back(settingRoot);
  }

 private:
  struct Entry {
    Kind kind;
    std::string content;
  };
  static std::string Key(std::string_view path);
  static std::string Parent(const std::string& key);
  bool FolderExists(const std::string& key) const;

  std::map<std::string, Entry> entries_;
  std::map<std::string, std::uint32_t> serials_;
};

// --- Process ----------------------------------------------------------------------
// Thrown by FakeProcess::EndNow; tests catch it to see that the program ended.
struct ProgramEnded {};

class FakeProcess : public platform::Process {
 public:
  struct Start {
    std::string commandLine;
    platform::WindowState state;
  };

  bool otherInstance = false;
  std::string arguments;
  // Command lines whose start fails with "File not found".
  std::set<std::string> unstartable;
  std::vector<Start> starts;
  bool ended = false;
  std::optional<platform::ExitStatus> exitStatus;  // once ended
  Journal* journal = nullptr;

  bool OtherInstanceRunning() override { return otherInstance; }
  std::string ArgumentText() override { return arguments; }
  void StartProgram(std::string_view commandLine, platform::WindowState state) override;
  [[noreturn]] void EndNow(platform::ExitStatus status) override;
};

// --- Boxes ------------------------------------------------------------------------
class FakeBoxes : public platform::Boxes {
 public:
  enum class Kind { Message, Question, Input };
  struct Shown {
    Kind kind;
    std::string text;  // the message, the question or the input prompt
    std::string title;  // the input box's title; "" for the others
    std::string defaultText;
  };

  // Answers given in turn; a question with none left is answered No (and recorded),
  // an input box with none left is cancelled.
  std::deque<bool> answers;
  std::deque<std::string> inputs;
  std::vector<Shown> shown;
  Journal* journal = nullptr;
  // Runs once, inside the next box, as the events of a nested event loop would.
  std::function<void()> whileOpen;

  void Message(std::string_view text) override;
  bool Question(std::string_view text) override;
  std::string Input(std::string_view prompt, std::string_view title,
                    std::string_view defaultText) override;

  std::vector<std::string> Messages() const;
  std::vector<std::string> Questions() const;
};

// --- Window -----------------------------------------------------------------------
class WindowRecorder : public Window {
 public:
  // One line per change, in order: "enable eject", "disable play",
  // "text timeWindow=[03] 02:41", "timer on".
  std::vector<std::string> log;
  std::map<Control, bool> enabled;
  std::map<Control, std::string> texts;
  bool timerEnabled = false;
  platform::WindowHandle handle = 0x1234;
  Journal* journal = nullptr;

  void SetEnabled(Control control, bool on) override;
  void SetText(Control control, std::string_view text) override;
  void SetTimerEnabled(bool on) override;
  platform::WindowHandle NativeHandle() override { return handle; }

  bool IsEnabled(Control control) const;
  std::string Text(Control control) const;
};

// Everything at once, wired into one Platform, for tests of the logic.
struct FakeWorld {
  FakeDevice device;
  FakeDisks disks;
  FakeProcess process;
  FakeBoxes boxes;
  WindowRecorder window;
  Journal journal;
  platform::Platform platform{device, disks, process, boxes};

  FakeWorld() {
    device.journal = &journal;
    process.journal = &journal;
    boxes.journal = &journal;
    window.journal = &journal;
  }
  FakeWorld(const FakeWorld&) = delete;
  FakeWorld& operator=(const FakeWorld&) = delete;
};

// An audio disc in the drive, as the device and the drive's root show it: the track
// count, the lengths, one track file per track, the volume serial, a position and a
// mode. The one fixture every suite scripts a disc with.
struct AudioDisc {
  std::vector<std::string> trackLengths{"04:10:00", "12:30:40", "24:26:47"};
  std::string totalLength = "41:07:12";
  std::string drive = "d:\\";
  std::uint32_t serial = 0x0A1B2C3D;
  std::string position = "01:00:00:00";
  std::string mode = "stopped";
  bool dataFolder = false;  // whether c:\lyrabox exists already
};
void InsertAudioDisc(FakeWorld& world, const AudioDisc& disc = {});
// The disc of the window's tests: that disc playing in track 2 at 3:30, the data
// folder there, and the position in milliseconds that fast forward and rewind read.
void InsertPlayingDisc(FakeWorld& world);

}  // namespace lyrabox::testing
