// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/drive_folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "base/ascii.h"

namespace lyrabox::host {
namespace {

using ascii::ToLower;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsFolder(const std::filesystem::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool EntryExists(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// Makes `folder` in a folder that exists. A folder made here is synced into the one
// that holds it, so that a power loss cannot take it away from under a file that is
// written into it later and synced. Another process may make the same folder at the
// same moment: that is success.
bool MakeFolder(const std::filesystem::path& folder) {
  if (::mkdir(folder.c_str(), 0777) == 0) {
    SyncFolder(folder.parent_path());
  } else if (errno != EEXIST) {
    return false;
  }
  return IsFolder(folder);
}

// MakeFolder for `folder` and every folder above it that is missing.
bool MakeFolderAndParents(const std::filesystem::path& folder) {
  if (IsFolder(folder)) return true;
  const std::filesystem::path parent = folder.parent_path();
  if (!parent.empty() && parent != folder && !MakeFolderAndParents(parent)) return false;
  return MakeFolder(folder);
}

}  // namespace

void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::optional<WindowsPath> WindowsPath::Parse(std::string_view text) {
  if (text.size() < 2 || text[1] != ':') return std::nullopt;
  char letter = ToLower(text[0]);
  if (letter < 'a' || letter > 'z') return std::nullopt;
  if (text.find('\0') != std::string_view::npos) return std::nullopt;

  WindowsPath path;
  path.drive = letter;
  std::string_view rest = text.substr(2);
  while (!rest.empty()) {
    std::size_t end = 0;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    std::string_view name = rest.substr(0, end);
    rest.remove_prefix(end < rest.size() ? end + 1 : end);
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!path.names.empty()) path.names.pop_back();
      continue;
    }
    path.names.emplace_back(name);
  }
  return path;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return ascii::EqualsIgnoringCase(a, b);
}

bool IsHiddenName(std::string_view name) { return !name.empty() && name[0] == '.'; }

std::optional<std::string> FindNameIgnoringCase(const std::filesystem::path& folder,
                                                std::string_view name) {
  if (EntryExists(folder / std::string(name))) return std::string(name);
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return std::nullopt;
  std::optional<std::string> best;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string_view candidate = entry->d_name;
    if (!SameNameIgnoringCase(candidate, name)) continue;
    if (!best || candidate < *best) best = std::string(candidate);
  }
  return best;
}

std::string DriveFolders::DriveFolderName(char drive) {
  return std::string("drive_") + ToLower(drive);
}

DriveFolders::Mapped DriveFolders::Map(const WindowsPath& path) const {
  std::vector<std::string> names;
  names.reserve(path.names.size() + 1);
  names.push_back(DriveFolderName(path.drive));
  names.insert(names.end(), path.names.begin(), path.names.end());

  Mapped mapped;
  mapped.hostPath = home_;
  bool inFolder = IsFolder(home_);  // the host path so far is an existing folder
  for (std::size_t i = 0; i < names.size(); ++i) {
    bool last = i + 1 == names.size();
    if (last) mapped.folderFound = inFolder;
    std::optional<std::string> onDisk;
    if (inFolder) onDisk = FindNameIgnoringCase(mapped.hostPath, names[i]);
    mapped.hostPath /= onDisk ? *onDisk : names[i];
    if (last) {
      mapped.found = onDisk.has_value();
    } else {
      inFolder = onDisk && IsFolder(mapped.hostPath);
    }
  }
  return mapped;
}

std::optional<std::filesystem::path> DriveFolders::MakeFolders(const WindowsPath& path) const {
  if (!MakeFolderAndParents(home_)) return std::nullopt;

  std::vector<std::string> names;
  names.push_back(DriveFolderName(path.drive));
  names.insert(names.end(), path.names.begin(), path.names.end());

  std::filesystem::path folder = home_;
  for (const std::string& name : names) {
    std::optional<std::string> onDisk = FindNameIgnoringCase(folder, name);
    folder /= onDisk ? *onDisk : name;
    if (onDisk ? !IsFolder(folder) : !MakeFolder(folder)) return std::nullopt;
  }
  return folder;
}

}  // namespace lyrabox::host
