// SPDX-License-Identifier: GPL-3.0-or-later
// How both programs make their CD audio device from the environment: which disc
// (kDiscVariable), whether its tray comes back by itself after an eject, what plays
// it, and the command log (kMciLogVariable). The demo disc, the returning tray and the
// log are decided here, once; what only a host can open (real drives, disc images,
// the sound output) the host hands in. The Linux program does so in
// cdaudio/linux/environment.h; the Windows program takes the demo disc from here and
// the system's own device for anything else.
//
// Thread: the program's main thread, once at start.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "cdaudio/cdaudio.h"
#include "cdaudio/clock.h"
#include "cdaudio/drive.h"
#include "cdaudio/result_codes.h"
#include "cdaudio/transport.h"

namespace lyrabox::cdaudio {

// A drive and its tray. A real drive's tray waits for the user; the disc of a drive
// that nobody has to push back in (the demo disc, a disc image) comes back by itself
// kTrayReturnDelay after an eject (tray_return.h).
struct DriveChoice {
  std::shared_ptr<Drive> drive;  // null: nothing usable, the device's "open" fails
  bool comesBack = false;
  // Without a drive, the code "open" fails with: one of the driver's own codes
  // (result_codes.h), whose text says why the disc asked for is no drive.
  ResultCode refusal = kCannotLoadDriver;
};

// What only the host can open. Either may be empty.
struct HostDrives {
  // The drive that kDiscVariable's value names when it is not the demo disc ("" when
  // the variable is unset). Without it such a value opens nothing.
  std::function<DriveChoice(const std::string& disc, const std::shared_ptr<Clock>& clock)> open;
  // What plays the drive's sound. Without it the disc plays silently on `clock`.
  std::function<std::unique_ptr<Transport>(std::shared_ptr<Drive> drive,
                                           std::shared_ptr<Clock> clock)>
      sound;
};

// Whether kDiscVariable asks for the demo disc (kDemoDisc in any letter case).
bool DemoDiscAsked();

// The built-in demo disc, whose tray comes back.
DriveChoice DemoDisc();

// The device the environment asks for, on `clock`; never null. The demo disc when
// asked for, else what `host` opens; its tray as the choice says; the command log when
// kMciLogVariable names a file.
std::unique_ptr<Device> OpenDevice(const HostDrives& host = {},
                                   std::shared_ptr<Clock> clock = std::make_shared<SteadyClock>());

}  // namespace lyrabox::cdaudio
