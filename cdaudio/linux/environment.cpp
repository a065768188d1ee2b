// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/linux/environment.h"

#include <sys/stat.h>

#include <algorithm>

#include "base/ascii.h"
#include "base/tell_user.h"
#include "cdaudio/device_setup.h"
#include "cdaudio/linux/device_drive.h"
#include "cdaudio/linux/image_drive.h"

namespace lyrabox::cdaudio {

namespace {

constexpr std::size_t kHelpColumns = 80;

// ".cue, .toc, .nrg, .bin"
std::string ImageExtensionList() {
  std::string list;
  for (std::string_view extension : DiscImageExtensions()) {
    if (!list.empty()) list += ", ";
    list += extension;
  }
  return list;
}

std::string Quoted(std::string_view word) {
  std::string quoted(1, '"');
  quoted += word;
  quoted += '"';
  return quoted;
}

DriveChoice Refused(ResultCode why) {
  DriveChoice none;
  none.refusal = why;
  return none;
}

// The drive `source` (kDiscVariable's value, not the demo disc) names: unset, the
// first CD drive, or the demo disc when there is none. A name that is nothing usable
// gives no drive, and the code that the device's "open" then fails with says why.
DriveChoice DriveFromEnvironment(const std::string& source, const std::shared_ptr<Clock>&) {
  if (source.empty()) {
    if (const auto drive = FirstCdDrive()) return {DeviceDrive::Open(*drive, Watching::Background)};
    TellUser(std::string("No CD drive found: playing the built-in demo disc (") + kDiscVariable +
             " chooses a drive or a disc image).");
    return DemoDisc();
  }

  struct stat info {};
  if (::stat(source.c_str(), &info) != 0) return Refused(kDiscNotThere);
  if (IsDiscImagePath(source)) {
    // The image library opens whatever it is given, and would wait for ever on a pipe.
    if (S_ISREG(info.st_mode)) return {ImageDrive::Open(source, Watching::Background), true};
    return Refused(kDiscImageNotAFile);
  }
  if (S_ISBLK(info.st_mode) || S_ISCHR(info.st_mode)) {
    const ResultCode problem = CdDriveProblem(source);
    if (problem == kSuccess) return {DeviceDrive::Open(source, Watching::Background)};
    return Refused(problem);
  }
  return Refused(kDiscOfNoKind);
}

}  // namespace

std::vector<EnvironmentVariable> EnvironmentVariables() {
  std::string disc = "the disc: a device node (/dev/sr0), a disc image (";
  disc += ImageExtensionList() + ") or " + Quoted(kDemoDisc) +
          "; unset, the first CD drive, else the demo disc";
  return {
      {kDiscVariable, std::move(disc)},
      {kAudioVariable, Quoted(kSilentOutput) +
                           " plays the disc silently; unset or anything else, through the "
                           "default sound output, or silently when it cannot be opened"},
      {kMciLogVariable, "a file to which every command, its result code and its reply are "
                        "appended, one line each, separated by tabs"},
  };
}

std::string DescribeEnvironment() {
  const std::vector<EnvironmentVariable> variables = EnvironmentVariables();
  std::size_t nameWidth = 0;
  for (const EnvironmentVariable& variable : variables) {
    nameWidth = std::max(nameWidth, variable.name.size());
  }
  const std::string indent(2 + nameWidth + 2, ' ');
  std::string text;
  for (const EnvironmentVariable& variable : variables) {
    std::string line = "  " + std::string(variable.name);
    line.resize(indent.size(), ' ');
    std::size_t wordsOnLine = 0;
    std::string_view rest = variable.meaning;
    while (!rest.empty()) {
      const std::size_t blank = rest.find(' ');
      const std::string_view word = rest.substr(0, blank);
      rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
      if (wordsOnLine > 0 && line.size() + 1 + word.size() > kHelpColumns) {
        text += line + '\n';
        line = indent;
        wordsOnLine = 0;
      }
      if (wordsOnLine++ > 0) line += ' ';
      line += word;
    }
    text += line + '\n';
  }
  return text;
}

bool SilentByChoice() {
  return ascii::EqualsIgnoringCase(EnvironmentValue(kAudioVariable), kSilentOutput);
}

std::optional<std::string> DriveNodeFromEnvironment() {
  const std::string source = EnvironmentValue(kDiscVariable);
  if (source.empty()) return FirstCdDrive();
  if (ascii::EqualsIgnoringCase(source, kDemoDisc) || IsDiscImagePath(source)) return std::nullopt;
  return source;
}

std::unique_ptr<Transport> TransportFromEnvironment(std::shared_ptr<Drive> drive,
                                                    std::shared_ptr<Clock> clock,
                                                    SoundOpener openSound) {
  if (SilentByChoice() || !drive) {
    return std::make_unique<ClockTransport>(std::move(clock));
  }
  return std::make_unique<FirstPlayTransport>(
      [drive = std::move(drive), clock = std::move(clock), open = std::move(openSound)]()
          -> std::unique_ptr<Transport> {
        std::string why;
        if (auto sound = open(drive, why)) return sound;
        TellUser("No sound output (" + why + "): the disc plays silently (" + kAudioVariable +
                 "=" + std::string(kSilentOutput) + " plays silently without this message).");
        return std::make_unique<ClockTransport>(clock);
      });
}

std::unique_ptr<Device> OpenFromEnvironment(SoundOpener openSound) {
  return OpenDevice({&DriveFromEnvironment,
                     [openSound = std::move(openSound)](std::shared_ptr<Drive> drive,
                                                        std::shared_ptr<Clock> clock) {
                       return TransportFromEnvironment(std::move(drive), std::move(clock),
                                                       openSound);
                     }});
}

}  // namespace lyrabox::cdaudio
