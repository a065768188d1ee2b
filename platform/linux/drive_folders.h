// SPDX-License-Identifier: GPL-3.0-or-later
// Windows paths on Linux: each drive letter is a folder of the host home
// ("c:\lyrabox\lbx.ini" is <home>/drive_c/lyrabox/lbx.ini), and every name along a
// path is found without regard to letter case, as on the Windows file system, so a
// data folder copied from a Windows machine works as it is.
//
// This is the one place where a Windows path becomes a host path. The CD drive's
// letter is not a folder: callers deal with it before they come here.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lyrabox::host {

// A Windows path taken apart: "c:\lyrabox\lbx.ini" is drive 'c' and the names
// "lyrabox", "lbx.ini". "c:\" has no names.
struct WindowsPath {
  char drive = 0;  // 'a' to 'z'
  std::vector<std::string> names;

  // Reads "x:\a\b". Both '\' and '/' separate names, doubled separators and "." are
  // dropped, ".." goes one folder up but never above the root. Nothing for a text
  // without a drive letter (a relative or network path) or with a NUL in it.
  static std::optional<WindowsPath> Parse(std::string_view text);

  bool IsRoot() const { return names.empty(); }
  const std::string& LastName() const { return names.back(); }  // only when not a root
};

// Letter case ignored for the ASCII letters, as the Windows file system does for them.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);
// Hidden on Linux: a name beginning with a dot.
bool IsHiddenName(std::string_view name);

// The entry of `folder` that `name` means: the exact name when it exists, otherwise
// the first name, in byte order, equal to it without regard to case. Nothing when
// there is none or the folder cannot be read.
std::optional<std::string> FindNameIgnoringCase(const std::filesystem::path& folder,
                                                std::string_view name);

// Makes what `folder` lists durable (fsync), as after a file was made, renamed or
// removed in it. A folder that cannot be synced (some file systems refuse) is left as
// it is: what was done in it is done all the same.
void SyncFolder(const std::filesystem::path& folder);

class DriveFolders {
 public:
  explicit DriveFolders(std::filesystem::path home) : home_(std::move(home)) {}

  const std::filesystem::path& home() const { return home_; }
  // "drive_c" for 'c'.
  static std::string DriveFolderName(char drive);

  struct Mapped {
    // The host path: the names found spelled as they are on the disk, from the first
    // missing one on as given (so a file that does not exist yet keeps its new name).
    std::filesystem::path hostPath;
    // The drive folder and every folder above the last name exist, as folders.
    bool folderFound = false;
    // ... and so does the last name (of any kind). For a root: its drive folder.
    bool found = false;
  };
  Mapped Map(const WindowsPath& path) const;

  // Makes the drive folder (and the home) and then every folder of `path` that is
  // missing; names that exist are used in their own spelling. Each folder made is
  // synced into the folder that holds it. Returns the host path of the last folder,
  // or nothing when a name along the way is a file or a folder cannot be made.
  std::optional<std::filesystem::path> MakeFolders(const WindowsPath& path) const;

 private:
  std::filesystem::path home_;
};

}  // namespace lyrabox::host
