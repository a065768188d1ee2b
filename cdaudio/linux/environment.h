// SPDX-License-Identifier: GPL-3.0-or-later
// The device as the environment chooses it on Linux: which disc, which sound output,
// and the command log. The variables (base/environment_names.h) are described once, in
// EnvironmentVariables, which every help text lists.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/environment_names.h"
#include "cdaudio/cdaudio.h"
#include "cdaudio/clock.h"
#include "cdaudio/drive.h"
#include "cdaudio/transport.h"

namespace lyrabox::cdaudio {

// Opens the sound output for a drive: a transport that plays it out loud, or null with
// `why` saying why not. SoundTransport::Open, or the same through its module
// (SoundModule::Open, sound_module.h).
using SoundOpener =
    std::function<std::unique_ptr<Transport>(std::shared_ptr<Drive> drive, std::string& why)>;

struct EnvironmentVariable {
  std::string_view name;
  std::string meaning;  // what it does and what unset means, for a user
};

// Every variable the device reads, with its meaning.
std::vector<EnvironmentVariable> EnvironmentVariables();

// EnvironmentVariables as lines of a help text: two blanks, the name, and its meaning
// beside it, wrapped to fit in 80 columns.
std::string DescribeEnvironment();

// The device the environment asks for (OpenDevice of device_setup.h); never null.
// - The disc (kDiscVariable): unset, the system's first CD drive, or the demo disc with
//   one line on standard error when there is none. A name that is not there, or is
//   neither a CD drive nor an image file, makes a device whose "open" fails with one
//   of the driver's own codes, whose text says so (ErrorText of cdaudio.h). A disc
//   image comes back after an eject, as the demo does.
// - The sound: TransportFromEnvironment, with `openSound`.
// - The log: when kMciLogVariable names a file, every command is appended to it.
std::unique_ptr<Device> OpenFromEnvironment(SoundOpener openSound);

// Whether the environment asks for the disc to be played silently (kAudioVariable is
// kSilentOutput, in any letter case).
bool SilentByChoice();

// The device node of the CD drive the environment picks: the one kDiscVariable names,
// or the system's first CD drive when it is unset. Nothing for a disc image, the demo
// disc, or no drive at all.
std::optional<std::string> DriveNodeFromEnvironment();

// The transport the environment asks for: silent (a ClockTransport on `clock`) when
// kAudioVariable is kSilentOutput or there is no drive, else the default sound output,
// opened by `openSound` at the first Play (a FirstPlayTransport), or silent with one
// line on standard error, then, when the output cannot be opened.
std::unique_ptr<Transport> TransportFromEnvironment(std::shared_ptr<Drive> drive,
                                                    std::shared_ptr<Clock> clock,
                                                    SoundOpener openSound);

}  // namespace lyrabox::cdaudio
