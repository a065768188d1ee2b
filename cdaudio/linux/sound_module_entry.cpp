// SPDX-License-Identifier: GPL-3.0-or-later
// The entries of the module lyrabox-sound.so (sound_module.h).
#include <type_traits>

#include "base/module.h"
#include "cdaudio/linux/sound_module.h"
#include "cdaudio/linux/sound_transport.h"

LYRABOX_MODULE_ENTRY bool lyrabox_warm_sound_output(std::string& why) {
  return lyrabox::cdaudio::SoundTransport::Warm(why);
}
static_assert(std::is_same_v<decltype(lyrabox_warm_sound_output), lyrabox::cdaudio::WarmSoundEntry>);

LYRABOX_MODULE_ENTRY lyrabox::cdaudio::Transport* lyrabox_open_sound_output(
    const std::shared_ptr<lyrabox::cdaudio::Drive>& drive, std::string& why) {
  return lyrabox::cdaudio::SoundTransport::Open(drive, why).release();
}
static_assert(std::is_same_v<decltype(lyrabox_open_sound_output), lyrabox::cdaudio::OpenSoundEntry>);
