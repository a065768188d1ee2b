// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/drive_argument.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "base/ascii.h"

namespace lyrabox::host {
namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         ascii::FindIgnoringCase(text.substr(0, prefix.size()), prefix) == 0;
}

bool IsDigitIn(char c, std::string_view digits) { return digits.find(c) != std::string_view::npos; }

// %XX escapes of a URI decoded; a malformed one is kept as it is.
std::string PercentDecoded(std::string_view text) {
  constexpr std::string_view kHex = "0123456789abcdefABCDEF";
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && IsDigitIn(text[i + 1], kHex) &&
        IsDigitIn(text[i + 2], kHex)) {
      decoded += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

// A field of the mounts text: blanks, tabs, newlines and backslashes come as \ooo.
std::string MountsField(std::string_view field) {
  constexpr std::string_view kOctal = "01234567";
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsDigitIn(field[i + 1], kOctal) &&
        IsDigitIn(field[i + 2], kOctal) && IsDigitIn(field[i + 3], kOctal)) {
      text += static_cast<char>(std::stoi(std::string(field.substr(i + 1, 3)), nullptr, 8));
      i += 3;
    } else {
      text += field[i];
    }
  }
  return text;
}

// The device mounted at `path` (the mount point itself, not a folder below it).
std::string DeviceMountedAt(const std::string& path, std::string_view mounts) {
  std::istringstream lines{std::string(mounts)};
  std::string line;
  std::string device;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string source, target;
    if (fields >> source >> target && MountsField(target) == path) device = MountsField(source);
  }
  return device.rfind("/dev/", 0) == 0 ? device : "";
}

// The drive a location names, or empty.
std::string DriveOf(std::string location, std::string_view mounts) {
  constexpr std::string_view kCdda = "cdda://";
  constexpr std::string_view kFile = "file://";
  constexpr std::string_view kGvfsCdda = "cdda:host=";
  if (StartsWithIgnoringCase(location, kCdda)) {
    std::string name = PercentDecoded(location.substr(kCdda.size()));
    name = name.substr(0, name.find('/'));
    return name.empty() ? "" : "/dev/" + name;
  }
  if (StartsWithIgnoringCase(location, kFile)) {
    location = PercentDecoded(location.substr(kFile.size()));
    if (location.rfind('/', 0) != 0) location.erase(0, location.find('/'));  // file://host/path
  }
  if (std::size_t at = location.find(kGvfsCdda); at != std::string::npos) {
    std::string name = location.substr(at + kGvfsCdda.size());
    name = name.substr(0, name.find_first_of("/,"));
    return name.empty() ? "" : "/dev/" + name;
  }
  if (location.rfind("/dev/", 0) == 0) return location;
  while (location.size() > 1 && location.back() == '/') location.pop_back();
  return DeviceMountedAt(location, mounts);
}

bool IsLocation(const std::string& argument) {
  if (StartsWithIgnoringCase(argument, "cdda:") || StartsWithIgnoringCase(argument, "file:")) {
    return true;
  }
  if (argument.size() < 2 || argument[0] != '/') return false;
  struct stat status {};
  return argument.find('/', 1) != std::string::npos || ::stat(argument.c_str(), &status) == 0;
}

}  // namespace

PlayerArguments TakeDriveArgument(std::vector<std::string> arguments, std::string_view mounts) {
  PlayerArguments taken;
  for (std::string& argument : arguments) {
    if (!IsLocation(argument)) {
      taken.logic.push_back(std::move(argument));
    } else if (taken.drive.empty()) {
      taken.drive = DriveOf(argument, mounts);
    }
  }
  return taken;
}

PlayerArguments PlayerArgumentsOf(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  std::ifstream file("/proc/self/mounts");
  std::ostringstream mounts;
  mounts << file.rdbuf();
  return TakeDriveArgument(std::move(arguments), mounts.str());
}

}  // namespace lyrabox::host
