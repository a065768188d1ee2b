#include "cdaudio/device_setup.h"

#include <cstdlib>

#include "base/ascii.h"
#include "base/environment_names.h"
#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"
#include "cdaudio/mci_log.h"
#include "cdaudio/tray_return.h"

namespace lyrabox::cdaudio {
namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

bool DemoDiscAsked() { return ascii::EqualsIgnoringCase(Variable(kDiscVariable), kDemoDisc); }

DriveChoice DemoDisc() { return {std::make_shared<DemoDrive>(), true}; }

std::unique_ptr<Device> OpenDevice(const HostDrives& host, std::shared_ptr<Clock> clock) {
  const std::string disc = Variable(kDiscVariable);
  DriveChoice choice = DemoDiscAsked() ? DemoDisc()
                       : host.open    ? host.open(disc, clock)
                                      : DriveChoice{};
  std::shared_ptr<Drive> drive = std::move(choice.drive);
  if (drive && choice.comesBack) drive = std::make_shared<TrayReturn>(std::move(drive), clock);
  std::unique_ptr<Transport> transport =
      host.sound ? host.sound(drive, clock) : std::make_unique<ClockTransport>(clock);
  std::unique_ptr<Device> device = std::make_unique<CdAudioDevice>(
      std::move(drive), std::move(transport), OpenRefusal{choice.refusal, disc});
  const std::string log = Variable(kMciLogVariable);
  if (!log.empty()) return LoggingDevice::Wrap(std::move(device), log);
  return device;
}

}  // namespace lyrabox::cdaudio
