// SPDX-License-Identifier: GPL-3.0-or-later
// The running program and the programs it starts.
#include <string>
#include <vector>

#include "base/ascii.h"
#include "platform/runtime_error.h"
#include "platform/windows/windows_host.h"

namespace lyrabox::windows {

std::string ArgumentsAfterProgram(std::string_view commandLine) {
  std::size_t at = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    const std::size_t close = commandLine.find('"', 1);
    at = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (at < commandLine.size() && !ascii::IsBlank(commandLine[at])) ++at;
  }
  while (at < commandLine.size() && ascii::IsBlank(commandLine[at])) ++at;
  return std::string(commandLine.substr(at));
}

WindowsProcess::~WindowsProcess() {
  if (instanceMutex_ != nullptr) CloseHandle(instanceMutex_);
}

bool WindowsProcess::OtherInstanceRunning() {
  // The mutex lives as long as this process; the system drops it when the process
  // ends in any way, so a crash never blocks the next start.
  if (instanceMutex_ == nullptr) {
    instanceMutex_ = CreateMutexA(nullptr, FALSE, instanceName_.c_str());
    if (instanceMutex_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseHandle(instanceMutex_);
      instanceMutex_ = nullptr;
      return true;
    }
  }
  return false;
}

std::string WindowsProcess::ArgumentText() { return ArgumentsAfterProgram(GetCommandLineA()); }

void WindowsProcess::StartProgram(std::string_view commandLine, platform::WindowState state) {
  // The system splits the line itself: an unquoted program path with blanks is tried
  // word by word until it names a program.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(
      state == platform::WindowState::MinimisedWithFocus ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    throw RuntimeError(ErrorNumber::FileNotFound, std::string(commandLine));
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
}

void WindowsProcess::EndNow(platform::ExitStatus status) {
  ExitProcess(static_cast<UINT>(status));
}

}  // namespace lyrabox::windows
