// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/host_process.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <optional>

#include "base/tell_user.h"
#include "platform/linux/command_line.h"
#include "platform/linux/program_start.h"
#include "platform/runtime_error.h"

namespace lyrabox::host {
namespace {

bool IsRegularFile(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

HostProcess::HostProcess(std::vector<std::string> arguments, const DriveFolders& drives,
                         char cdDrive, std::filesystem::path lockFile)
    : arguments_(std::move(arguments)),
      drives_(drives),
      cdDrive_(cdDrive),
      lock_(std::move(lockFile)) {}

bool HostProcess::OtherInstanceRunning() {
  switch (lock_.TryTake()) {
    case InstanceLock::State::Held: return false;
    case InstanceLock::State::HeldElsewhere: return true;
    case InstanceLock::State::Unavailable: break;
  }
  // Refusing to start over a lock file we cannot use would lock the user out for
  // good; running a second instance is the smaller harm.
  if (!lockTrouble_) {
    TellUser("cannot use the lock file \"" + lock_.file().string() +
             "\"; not checking for another running instance");
    lockTrouble_ = true;
  }
  return false;
}

std::string HostProcess::ArgumentText() {
  std::string text;
  for (std::size_t i = 0; i < arguments_.size(); ++i) {
    if (i > 0) text += ' ';
    text += arguments_[i];
  }
  return text;
}

std::optional<DetachedStart> HostProcess::FindProgram(std::string_view commandLine,
                                                     platform::WindowState state) const {
  for (const ProgramCandidate& candidate : ProgramCandidates(commandLine)) {
    std::optional<WindowsPath> path = WindowsPath::Parse(ProgramFileName(candidate.program));
    if (!path || path->IsRoot() || path->drive == cdDrive_) continue;
    DriveFolders::Mapped mapped = drives_.Map(*path);
    if (!mapped.found || !IsRegularFile(mapped.hostPath)) continue;

    // Linux has no common way to ask a program to open minimised: the started program
    // finds "normal" or "minimised" in the environment and may honour it.
    DetachedStart start;
    start.program = mapped.hostPath;
    start.arguments = SplitWindowsArguments(candidate.arguments);
    start.environment.emplace_back(
        kWindowStateVariable,
        state == platform::WindowState::MinimisedWithFocus ? "minimised" : "normal");
    return start;
  }
  return std::nullopt;
}

void HostProcess::StartProgram(std::string_view commandLine, platform::WindowState state) {
  const std::optional<DetachedStart> start = FindProgram(commandLine, state);
  if (!start || StartDetached(*start) != 0) {
    throw RuntimeError(ErrorNumber::FileNotFound, std::string(commandLine));
  }
}

void HostProcess::HandOverDisc(std::string_view commandLine) {
  constexpr auto kNormal = platform::WindowState::NormalWithFocus;
  if (FindProgram(commandLine, kNormal)) return StartProgram(commandLine, kNormal);
  // No Linux machine has the other player of the command line: the disc goes to the
  // player the desktop would have chosen had Lyrabox not been its choice.
  std::string why;
  if (startDesktopCdPlayer && startDesktopCdPlayer(why)) return;
  throw RuntimeError::Explained(ErrorNumber::FileNotFound, NoOtherPlayerText(commandLine, why));
}

std::string HostProcess::NoOtherPlayerText(std::string_view commandLine,
                                           const std::string& unavailable) const {
  const std::string text =
      unavailable.empty()
          ? "No other CD player is set up to take this disc.\n\n"
            "Choose one for audio CDs in the desktop's settings for removable media"
          : "The desktop's CD players could not be looked up: " + unavailable +
                ".\n\nInstall Lyrabox again";
  // Where the program would go: the longest reading of the line whose file name is
  // one word (the program alone, not the program and its arguments).
  for (const ProgramCandidate& candidate : ProgramCandidates(commandLine)) {
    const std::string& program = candidate.program;
    const std::string name = program.substr(program.find_last_of('\\') + 1);
    if (name.empty() || name.find(' ') != std::string::npos) continue;
    std::optional<WindowsPath> path = WindowsPath::Parse(ProgramFileName(program));
    if (!path || path->IsRoot() || path->drive == cdDrive_) break;
    return text + ", or put a program (a script will do) for it at\n\n" +
           drives_.Map(*path).hostPath.string();
  }
  return text + ".";
}

void HostProcess::EndNow(platform::ExitStatus status) {
  std::cout.flush();
  std::cerr.flush();
  std::clog.flush();
  std::fflush(nullptr);
  ::_exit(static_cast<int>(status));
}

}  // namespace lyrabox::host
