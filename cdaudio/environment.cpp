// Which disc the device plays, as the environment says (cdaudio.h: OpenFromEnvironment).
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "cdaudio/cdaudio.h"
#include "cdaudio/cdio_drive.h"
#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"
#include "cdaudio/mci_log.h"
#include "cdaudio/sound_transport.h"

namespace lyrabox::cdaudio {

namespace {

constexpr const char* kDiscVariable = "LYRABOX_CD";
constexpr std::string_view kDemoName = "demo";

bool IsDemo(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text == kDemoName;
}

// The drive LYRABOX_CD names; null when it names nothing usable (the device's
// "open" then fails, as with no CD drive at all), after a line on standard error.
std::shared_ptr<Drive> DriveFromEnvironment() {
  const char* named = std::getenv(kDiscVariable);
  const std::string source = named != nullptr ? named : "";
  if (source.empty()) {
    if (const auto drive = FirstCdDrive()) {
      return CdioDrive::ForDevice(*drive, CdioDrive::Watching::Background);
    }
    std::fprintf(stderr,
                 "No CD drive found: playing the built-in demo disc (%s chooses a drive or a "
                 "disc image).\n",
                 kDiscVariable);
    return std::make_shared<DemoDrive>();
  }
  if (IsDemo(source)) return std::make_shared<DemoDrive>();

  struct stat info {};
  if (::stat(source.c_str(), &info) != 0) {
    std::fprintf(stderr, "%s names %s, which is not there.\n", kDiscVariable, source.c_str());
    return nullptr;
  }
  if (IsDiscImagePath(source)) {
    return CdioDrive::ForImage(source, CdioDrive::Watching::Background);
  }
  if (S_ISBLK(info.st_mode) || S_ISCHR(info.st_mode)) {
    return CdioDrive::ForDevice(source, CdioDrive::Watching::Background);
  }
  std::fprintf(stderr,
               "%s names %s, which is neither a CD drive nor a disc image (.cue, .toc, .nrg, "
               ".bin), nor \"demo\".\n",
               kDiscVariable, source.c_str());
  return nullptr;
}

}  // namespace

std::unique_ptr<Device> OpenFromEnvironment() {
  std::shared_ptr<Drive> drive = DriveFromEnvironment();
  std::unique_ptr<Transport> transport =
      TransportFromEnvironment(drive, std::make_shared<SteadyClock>());
  std::unique_ptr<Device> device =
      std::make_unique<CdAudioDevice>(std::move(drive), std::move(transport));
  const char* log = std::getenv(kMciLogVariable);
  if (log != nullptr && *log != '\0') return LoggingDevice::Wrap(std::move(device), log);
  return device;
}

}  // namespace lyrabox::cdaudio
