// The sound output as a module (base/module.h): lyrabox-sound.so holds the
// SoundTransport and links SDL, which brings the sound server's libraries and SDL's
// own (about 35 shared libraries in all). The player loads it at the first Play, so a
// start, and a run that never plays, load none of them.
#pragma once

#include <memory>
#include <string>

#include "cdaudio/drive.h"
#include "cdaudio/transport.h"

namespace lyrabox::cdaudio {

inline constexpr char kSoundModule[] = "lyrabox-sound";
inline constexpr char kOpenSoundEntry[] = "lyrabox_open_sound_output";
// The module's entry: SoundTransport::Open, the transport handed over to the caller.
using OpenSoundEntry = Transport*(const std::shared_ptr<Drive>& drive, std::string& why);

// Loads the module, when it is not loaded yet, and opens the sound output for `drive`
// through it. Null, with `why` saying why, when the module cannot be loaded or the
// output cannot be opened.
std::unique_ptr<Transport> OpenSoundModule(std::shared_ptr<Drive> drive, std::string& why);

}  // namespace lyrabox::cdaudio
