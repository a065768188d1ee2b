// SPDX-License-Identifier: GPL-3.0-or-later
// Disks and files through the system's own calls, on the system's own paths.
#include <algorithm>
#include <string>

#include "base/ascii.h"
#include "platform/runtime_error.h"
#include "platform/windows/windows_host.h"

namespace lyrabox::windows {
namespace {

[[noreturn]] void Fail(ErrorNumber number, std::string_view path) {
  throw RuntimeError(number, std::string(path));
}

// The run-time error for a failed step of reading or writing a file.
ErrorNumber ErrorFor(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return ErrorNumber::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: return ErrorNumber::PathNotFound;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ErrorNumber::DiskFull;
    default: return ErrorNumber::PermissionDenied;
  }
}

bool IsOrdinary(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                        FILE_ATTRIBUTE_SYSTEM)) == 0;
}

// Whether the directory search for `pattern` finds at least one ordinary file.
bool SearchFindsOrdinaryFile(std::string_view pattern) {
  WIN32_FIND_DATAA found;
  const std::string text(pattern);
  HANDLE search = FindFirstFileA(text.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool any = false;
  do {
    any = IsOrdinary(found.dwFileAttributes);
  } while (!any && FindNextFileA(search, &found));
  FindClose(search);
  return any;
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool Close() {
    const BOOL closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }

 private:
  HANDLE handle_;
};

}  // namespace

std::optional<std::uint32_t> WindowsDisks::VolumeSerialNumber(std::string_view root) {
  if (coreDrive_ != nullptr && coreDrive_->OnDrive(root)) {
    return coreDrive_->channel().VolumeSerial();
  }
  const std::string text(root);
  DWORD serial = 0;
  if (!GetVolumeInformationA(text.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(serial);
}

bool WindowsDisks::CoreDriveMatches(std::string_view pattern) {
  const std::size_t slash = pattern.rfind('\\');
  const std::string_view name = slash == std::string_view::npos ? pattern : pattern.substr(slash + 1);
  // Only the root holds files, and only the tracks.
  return slash == 2 && !name.empty() && coreDrive_->channel().ListsTrackFile(name);
}

bool WindowsDisks::OrdinaryFileExists(std::string_view path) {
  // An exact path holds no wildcard; one that does names no file.
  if (path.find_first_of("*?") != std::string_view::npos) return false;
  return OrdinaryFileMatches(path);
}

bool WindowsDisks::OrdinaryFileMatches(std::string_view pattern) {
  if (coreDrive_ != nullptr && coreDrive_->OnDrive(pattern)) return CoreDriveMatches(pattern);
  return SearchFindsOrdinaryFile(pattern);
}

std::string WindowsDisks::ReadTextFile(std::string_view path) {
  if (coreDrive_ != nullptr && coreDrive_->OnDrive(path)) Fail(ErrorNumber::FileNotFound, path);
  const std::string text(path);
  Handle file(CreateFileA(text.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) Fail(ErrorFor(GetLastError()), path);
  std::string content;
  char chunk[4096];
  DWORD got = 0;
  // Only the start of a huge file: the player's files are a few bytes. A read that
  // fails is an error, as on Linux, never a file that seems shorter.
  while (content.size() < platform::kTextFileReadLimit) {
    if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) {
      Fail(ErrorNumber::PermissionDenied, path);
    }
    if (got == 0) break;
    content.append(chunk, std::min<std::size_t>(got, platform::kTextFileReadLimit - content.size()));
  }
  return content;
}

void WindowsDisks::ReplaceFile(std::string_view path, std::string_view content) {
  const std::string target(path);
  const std::string beside = target + ".new";
  auto failBeside = [&](DWORD error) {
    DeleteFileA(beside.c_str());
    Fail(ErrorFor(error), path);
  };
  {
    Handle file(CreateFileA(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      Fail(error == ERROR_FILE_NOT_FOUND ? ErrorNumber::PathNotFound : ErrorFor(error), path);
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                   nullptr) ||
        written != content.size() || !FlushFileBuffers(file.get())) {
      const DWORD error = GetLastError();
      file.Close();
      failBeside(error);
    }
    if (!file.Close()) failBeside(GetLastError());
  }
  if (!MoveFileExA(beside.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    failBeside(GetLastError());
  }
}

void WindowsDisks::CreateFolders(std::string_view path) {
  // Each folder from the top down (c:\a, then c:\a\b ...); the drive root is never made.
  for (std::size_t end = path.find('\\', 3); ; end = path.find('\\', end + 1)) {
    const std::string folder(path.substr(0, end));
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
      const DWORD attributes = GetFileAttributesA(folder.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Fail(ErrorNumber::PathNotFound, path);
      }
    }
    if (end == std::string_view::npos || end + 1 == path.size()) return;
  }
}

}  // namespace lyrabox::windows
