// SPDX-License-Identifier: GPL-3.0-or-later
// The one narrow interface between the player's logic and the machine it runs on.
//
// The logic (engine/, bookmarks/) talks to the world only through these
// interfaces. Paths and command lines cross them in the system's own Windows form
// ("c:\lyrabox\lbx.ini", "d:\*.CDA", "E:\program files\...\deluxecd.exe /play G:\");
// mapping them to the host is the implementation's business (platform/linux/).
// Tests implement every interface with the fakes in tests/fakes/.
//
// All calls come from the user-interface thread and block until done.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ratio>
#include <string>
#include <string_view>
#include <vector>

#include "base/disc_text.h"

namespace lyrabox {

// Time on a disc as the device counts it: 75 frames a second.
using Frames = std::chrono::duration<std::int64_t, std::ratio<1, 75>>;

}  // namespace lyrabox

namespace lyrabox::platform {

// Result code of a device command: 0 is success, anything else an MCI error code.
using MciResult = std::uint32_t;

// A window that would receive completion notices. No command of the player asks for
// them, so nothing is ever delivered; the value is passed along and recorded only.
using WindowHandle = std::uintptr_t;

// One look at the disc in the drive, beyond what the command strings tell: its table
// of contents and its own text, read together, so that both are always the same
// disc's.
struct DiscSnapshot {
  struct Track {
    Frames start;       // from the very start of the disc, its lead-in included
    bool audio = true;  // false for a data track
    friend bool operator==(const Track&, const Track&) = default;
  };
  int firstTrack = 1;         // the number of the first of `tracks`
  std::vector<Track> tracks;  // in disc order
  Frames leadOut{0};          // where the last track ends, counted as a start is
  DiscText text;              // the disc's own names; empty when it carries none
  friend bool operator==(const DiscSnapshot&, const DiscSnapshot&) = default;
};

// The CD audio device, reached through command strings.
class DeviceCommands {
 public:
  virtual ~DeviceCommands() = default;

  // Carries out `command` and returns its result code. When `replyLength` is above 0
  // and the command has an answer, the answer is written at the start of `reply`,
  // ended by a NUL, using at most `replyLength` characters (the NUL included), and
  // nothing else of the buffer is touched; with `replyLength` 0 nothing is written.
  // `reply` may be null only when `replyLength` is 0.
  virtual MciResult SendString(std::string_view command, char* reply,
                               std::uint32_t replyLength, WindowHandle callback) = 0;

  // Writes the text describing `code` at the start of `text`, ended by a NUL, using
  // at most `length` characters. Returns false for a code it has no text for; it
  // then writes nothing.
  virtual bool GetErrorString(MciResult code, char* text, std::uint32_t length) = 0;

  // The disc ready in the drive, in one look (DiscSnapshot); nothing without one. A
  // device that tells no more than its command strings answer (the system's own MCI
  // device) gives nothing either.
  virtual std::optional<DiscSnapshot> Disc() { return std::nullopt; }
};

// How much of a text file Disks::ReadTextFile reads at most.
inline constexpr std::size_t kTextFileReadLimit = 64 * 1024;

// Disks and files, named by Windows paths ("c:\lyrabox\A1B2C3D", "d:\").
//
// "Ordinary file" means a file that is not a directory, not hidden and not a
// system file. Failures that the logic treats as run-time errors are thrown as
// lyrabox::RuntimeError (runtime_error.h) with the number the text names.
class Disks {
 public:
  virtual ~Disks() = default;

  // The volume serial number of the drive whose root is `root` ("d:\"), or nothing
  // when it cannot be read (no disc, drive not ready, a root that names nothing).
  virtual std::optional<std::uint32_t> VolumeSerialNumber(std::string_view root) = 0;

  // Whether an ordinary file has exactly this path.
  virtual bool OrdinaryFileExists(std::string_view path) = 0;

  // Whether at least one ordinary file matches `pattern`, whose last component may
  // hold the wildcard '*' ("d:\*.CDA"). Letter case is not told apart.
  virtual bool OrdinaryFileMatches(std::string_view pattern) = 0;

  // The content of a text file, bytes as stored, up to kTextFileReadLimit bytes: of a
  // larger file only its start (the player's files are a few bytes; a huge one must
  // not cost its size in memory). Throws "File not found" (53) when there is no such
  // file and "Path not found" (76) when its folder is missing.
  virtual std::string ReadTextFile(std::string_view path) = 0;

  // Replaces the file at `path` with `content` so that a crash or a full disk at any
  // moment leaves either the old content or the new, never a cut file: the content is
  // written beside it, flushed to the disk and renamed over it. Throws "Path not
  // found" (76) when the folder is missing, "Permission denied" (70) or "Disk full"
  // (61) when the write fails; the old file is then untouched.
  virtual void ReplaceFile(std::string_view path, std::string_view content) = 0;

  // Creates the folder `path` and its missing parents. Throws "Path not found" (76)
  // when it cannot.
  virtual void CreateFolders(std::string_view path) = 0;

  // The load sequence has read the drive setting: `settingRoot` is the root it names
  // ("e:\"), nothing without one. A host that keeps drive letters as folders makes the
  // drive the player plays its CD drive from now on, whatever its letter; a system with
  // drives of its own has nothing to do.
  virtual void FollowDriveSetting(const std::optional<std::string>& /*settingRoot*/) {}
};

// How a started program's window is shown.
enum class WindowState {
  NormalWithFocus,
  MinimisedWithFocus,
};

// How the program ends at once: with failure right after it has told the user of an
// error (a run-time error, a device that cannot be opened), else with success (a
// second instance, a disc handed to the other player). Whoever ends it says which.
enum class ExitStatus { Success = 0, Failure = 1 };

// The running process and the programs it starts.
class Process {
 public:
  virtual ~Process() = default;

  // Whether another instance of the player is already running.
  virtual bool OtherInstanceRunning() = 0;

  // The command-line arguments after the program name, as one text.
  virtual std::string ArgumentText() = 0;

  // Starts the program that the Windows command line names and does not wait for it.
  // Throws "File not found" (53) when the program is not there or cannot be started.
  virtual void StartProgram(std::string_view commandLine, WindowState state) = 0;

  // Hands the disc in the CD drive to the other CD player that `commandLine` names:
  // starts it in a normal window with the focus, as StartProgram does. A host whose
  // desktop has CD players of its own may hand the disc to the desktop's choice when
  // that program is not there. Throws "File not found" (53) when nothing was started.
  virtual void HandOverDisc(std::string_view commandLine) {
    StartProgram(commandLine, WindowState::NormalWithFocus);
  }

  // Ends the program at once with `status`: no close prompt, no unload sequence, no
  // window shown. Never returns (a test double throws instead, which the caller must
  // not catch).
  [[noreturn]] virtual void EndNow(ExitStatus status) = 0;
};

// The modal boxes. Every box carries the application title "Lyrabox".
class Boxes {
 public:
  virtual ~Boxes() = default;

  // A message with an OK button and no icon; returns when the user pressed OK.
  virtual void Message(std::string_view text) = 0;

  // A question with Yes and No buttons and the question-mark icon; true for Yes.
  virtual bool Question(std::string_view text) = 0;

  // An input box with a prompt, a title and a default text; returns the text entered,
  // or an empty text when the user cancelled.
  virtual std::string Input(std::string_view prompt, std::string_view title,
                            std::string_view defaultText) = 0;
};

// Everything the logic may reach, handed to it as one bundle.
struct Platform {
  DeviceCommands& device;
  Disks& disks;
  Process& process;
  Boxes& boxes;
};

}  // namespace lyrabox::platform
