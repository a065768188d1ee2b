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

void HostProcess::StartProgram(std::string_view commandLine, platform::WindowState state) {
  const std::string line(commandLine);
  for (const ProgramCandidate& candidate : ProgramCandidates(line)) {
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
    if (StartDetached(start) != 0) throw RuntimeError(ErrorNumber::FileNotFound, line);
    return;
  }
  throw RuntimeError(ErrorNumber::FileNotFound, line);
}

void HostProcess::EndNow(platform::ExitStatus status) {
  std::cout.flush();
  std::cerr.flush();
  std::clog.flush();
  std::fflush(nullptr);
  ::_exit(static_cast<int>(status));
}

}  // namespace lyrabox::host
