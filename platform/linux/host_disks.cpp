// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/host_disks.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "base/ascii.h"
#include "platform/runtime_error.h"

namespace lyrabox::host {
namespace {

[[noreturn]] void Fail(ErrorNumber number, std::string_view path,
                       const std::filesystem::path& hostPath = {}) {
  std::string detail(path);
  if (!hostPath.empty()) detail += " (" + hostPath.string() + ")";
  throw RuntimeError(number, detail);
}

bool IsOrdinaryFile(const std::filesystem::path& path) {
  struct stat info {};
  return !IsHiddenName(path.filename().string()) && ::stat(path.c_str(), &info) == 0 &&
         S_ISREG(info.st_mode);
}

// A file descriptor that closes itself.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }
  // Closes now and reports the error of close (a late write error on some file
  // systems).
  int Close() {
    int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// A file made here may be read by anyone and written by its owner (less as the umask
// says): the data folder's files hold nothing secret, and other programs of the user
// (a backup, a copy to another machine) read them.
constexpr mode_t kNewFileMode = 0644;

// The run-time error for a failed step of writing a file.
ErrorNumber WriteErrorNumber(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ErrorNumber::DiskFull;
    case ENOENT:
    case ENOTDIR: return ErrorNumber::PathNotFound;  // the folder went away meanwhile
    default: return ErrorNumber::PermissionDenied;
  }
}

// Writes `content` to the new file and makes it durable; 0 or the errno of the first
// step that failed.
int WriteDurably(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

HostDisks::HostDisks(const DriveFolders& drives, char cdDrive, platform::AudioCdChannel& cd)
    : drives_(drives), cdDrive_(cdDrive), cd_(cd) {}

std::optional<std::uint32_t> HostDisks::VolumeSerialNumber(std::string_view root) {
  std::optional<WindowsPath> path = WindowsPath::Parse(root);
  if (!path || !path->IsRoot() || !OnCdDrive(*path)) return std::nullopt;
  return cd_.VolumeSerial();
}

bool HostDisks::CdRootMatches(const WindowsPath& path, std::string_view pattern) {
  // The CD lists files in its root only.
  return path.names.size() == 1 && cd_.ListsTrackFile(pattern);
}

bool HostDisks::OrdinaryFileExists(std::string_view text) {
  std::optional<WindowsPath> path = WindowsPath::Parse(text);
  if (!path || path->IsRoot()) return false;
  if (OnCdDrive(*path)) {
    // A track file's name holds no '*': matching it as a pattern is an exact match.
    if (path->LastName().find('*') != std::string::npos) return false;
    return CdRootMatches(*path, path->LastName());
  }
  DriveFolders::Mapped mapped = drives_.Map(*path);
  return mapped.found && IsOrdinaryFile(mapped.hostPath);
}

bool HostDisks::OrdinaryFileMatches(std::string_view text) {
  std::optional<WindowsPath> path = WindowsPath::Parse(text);
  if (!path || path->IsRoot()) return false;
  const std::string pattern = path->LastName();
  if (OnCdDrive(*path)) return CdRootMatches(*path, pattern);

  WindowsPath folderPath = *path;
  folderPath.names.pop_back();
  DriveFolders::Mapped folder = drives_.Map(folderPath);
  if (!folder.found) return false;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.hostPath.c_str()), ::closedir);
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view name = entry->d_name;
    if (ascii::MatchesIgnoringCase(name, pattern) && IsOrdinaryFile(folder.hostPath / name)) {
      return true;
    }
  }
  return false;
}

std::string HostDisks::ReadTextFile(std::string_view text) {
  std::optional<WindowsPath> path = WindowsPath::Parse(text);
  if (!path) Fail(ErrorNumber::PathNotFound, text);
  if (OnCdDrive(*path)) {
    if (path->names.size() > 1) Fail(ErrorNumber::PathNotFound, text);
    if (path->IsRoot() || !CdRootMatches(*path, path->LastName())) {
      Fail(ErrorNumber::FileNotFound, text);
    }
    // The track files are names the CD's root lists; the host has no bytes for them.
    Fail(ErrorNumber::PermissionDenied, text);
  }

  DriveFolders::Mapped mapped = drives_.Map(*path);
  if (path->IsRoot() || !mapped.folderFound) Fail(ErrorNumber::PathNotFound, text, mapped.hostPath);
  if (!mapped.found) Fail(ErrorNumber::FileNotFound, text, mapped.hostPath);

  FileHandle file(::open(mapped.hostPath.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (file.get() < 0 || ::fstat(file.get(), &info) != 0) {
    int error = errno;
    Fail(error == ENOENT ? ErrorNumber::FileNotFound : ErrorNumber::PermissionDenied, text,
         mapped.hostPath);
  }
  if (S_ISDIR(info.st_mode)) Fail(ErrorNumber::FileNotFound, text, mapped.hostPath);

  std::string content(platform::kTextFileReadLimit, '\0');
  std::size_t size = 0;
  while (size < content.size()) {
    ssize_t got = ::read(file.get(), content.data() + size, content.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(ErrorNumber::PermissionDenied, text, mapped.hostPath);
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  content.resize(size);
  return content;
}

void HostDisks::ReplaceFile(std::string_view text, std::string_view content) {
  std::optional<WindowsPath> path = WindowsPath::Parse(text);
  if (!path || path->IsRoot()) Fail(ErrorNumber::PathNotFound, text);
  // The CD is read-only.
  if (OnCdDrive(*path)) Fail(ErrorNumber::PermissionDenied, text);

  DriveFolders::Mapped mapped = drives_.Map(*path);
  if (!mapped.folderFound) Fail(ErrorNumber::PathNotFound, text, mapped.hostPath);
  const std::filesystem::path target = mapped.hostPath;
  const std::filesystem::path folder = target.parent_path();

  struct stat found {};
  if (::stat(target.c_str(), &found) == 0 && S_ISDIR(found.st_mode)) {
    Fail(ErrorNumber::PermissionDenied, text, target);
  }
  // A regular file being replaced keeps its permissions. Anything else at the name (a
  // link, say to /dev/zero, which anyone may write) is replaced by a new file, with
  // the mode of a new file whatever the link pointed to.
  struct stat old {};
  const bool keepMode = ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

  // Hidden, so that no file test or pattern sees a half-written file.
  std::string temporaryName = ".";
  temporaryName += target.filename().string() + ".lyrabox-new";
  const std::filesystem::path temporary = folder / temporaryName;
  // One left by a write that never ended goes first, so that the file is made afresh,
  // with the mode asked for.
  ::unlink(temporary.c_str());
  FileHandle file(
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, kNewFileMode));
  if (file.get() < 0) Fail(WriteErrorNumber(errno), text, temporary);
  if (keepMode) ::fchmod(file.get(), old.st_mode & 0777);

  int error = WriteDurably(file.get(), content);
  if (error == 0) error = file.Close();
  if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    Fail(WriteErrorNumber(error), text, target);
  }

  // The rename is durable only once the folder is. The new content is in place by
  // now, so a folder that cannot be synced (some file systems refuse) is no error.
  SyncFolder(folder);
}

void HostDisks::CreateFolders(std::string_view text) {
  std::optional<WindowsPath> path = WindowsPath::Parse(text);
  if (!path || OnCdDrive(*path)) Fail(ErrorNumber::PathNotFound, text);
  if (!drives_.MakeFolders(*path)) Fail(ErrorNumber::PathNotFound, text, drives_.Map(*path).hostPath);
}

}  // namespace lyrabox::host
