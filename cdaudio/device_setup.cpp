// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/device_setup.h"

#include "base/ascii.h"
#include "base/environment_names.h"
#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"
#include "cdaudio/mci_log.h"
#include "cdaudio/tray_return.h"

namespace lyrabox::cdaudio {
bool DemoDiscAsked() {
  return ascii::EqualsIgnoringCase(EnvironmentValue(kDiscVariable), kDemoDisc);
}

DriveChoice DemoDisc() { return {std::make_shared<DemoDrive>(), true}; }

std::unique_ptr<Device> OpenDevice(const HostDrives& host, std::shared_ptr<Clock> clock) {
  const std::string disc = EnvironmentValue(kDiscVariable);
  DriveChoice choice = DemoDiscAsked() ? DemoDisc()
                       : host.open    ? host.open(disc, clock)
                                      : DriveChoice{};
  std::shared_ptr<Drive> drive = std::move(choice.drive);
  if (drive && choice.comesBack) drive = std::make_shared<TrayReturn>(std::move(drive), clock);
  std::unique_ptr<Transport> transport =
      host.sound ? host.sound(drive, clock) : std::make_unique<ClockTransport>(clock);
  std::unique_ptr<Device> device = std::make_unique<CdAudioDevice>(
      std::move(drive), std::move(transport), OpenRefusal{choice.refusal, disc});
  return LoggingDevice::Wrap(std::move(device), MciLog::FromEnvironment());
}

}  // namespace lyrabox::cdaudio
