// SPDX-License-Identifier: GPL-3.0-or-later
// The sound output as a module (base/module.h): lyrabox-sound.so holds the
// SoundTransport and links SDL, which brings the sound server's libraries and SDL's
// own (about 50 shared libraries in all). The player loads none of them before its
// window is on the screen; it warms the module then, on a thread of its own, so that
// the first Play finds it loaded and only opens the output.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "cdaudio/drive.h"
#include "cdaudio/linux/environment.h"
#include "cdaudio/transport.h"

namespace lyrabox::cdaudio {

inline constexpr char kSoundModule[] = "lyrabox-sound";
inline constexpr char kWarmSoundEntry[] = "lyrabox_warm_sound_output";
inline constexpr char kOpenSoundEntry[] = "lyrabox_open_sound_output";
// The module's entries: SoundTransport::Warm, and SoundTransport::Open with the
// transport handed over to the caller.
using WarmSoundEntry = bool(std::string& why);
using OpenSoundEntry = Transport*(const std::shared_ptr<Drive>& drive, std::string& why);

// The module, loaded at most once: by a warming ahead of need, or by the first Open.
class SoundModule {
 public:
  struct Loaded {
    OpenSoundEntry* open = nullptr;  // null when the module could not be loaded,
    std::string why;                 // and then why
  };
  // Loads the module and warms SDL's audio (SoundTransport::Warm).
  using Load = std::function<Loaded()>;

  // lyrabox-sound.so, from where the program finds its modules. A wait of Open's is
  // marked on the start's timeline.
  SoundModule();
  // Loading with `load`; `waiting` runs on Open's thread when Open is about to wait
  // for a warming under way.
  SoundModule(Load load, std::function<void()> waiting);
  // Waits for a warming under way, which takes no longer than the load itself.
  ~SoundModule();
  SoundModule(const SoundModule&) = delete;
  SoundModule& operator=(const SoundModule&) = delete;

  // Starts loading on a thread of its own and returns at once. Does nothing when the
  // module is loaded or being loaded, or when the environment asks for silence
  // (kAudioVariable), which needs none of it. Thread: any.
  void WarmInBackground();

  // The sound output for `drive` (a SoundOpener): the module is loaded first unless
  // it is; a warming under way is waited for, never loaded again. Null, with `why`,
  // when the module cannot be loaded or the output cannot be opened. Thread: the
  // device's caller (the user interface), one call at a time.
  std::unique_ptr<Transport> Open(std::shared_ptr<Drive> drive, std::string& why);
  // Open, for OpenFromEnvironment; this module must outlive what it is given to.
  SoundOpener Opener();

 private:
  enum class State { Unloaded, Loading, Loaded };
  // Loads unless loaded; waits for a load under way. Loaded stays as it is from then on.
  const Loaded& Await();
  void Finish(Loaded loaded);

  const Load load_;
  const std::function<void()> waiting_;
  std::mutex mutex_;  // guards what follows
  std::condition_variable finished_;
  State state_ = State::Unloaded;
  Loaded loaded_;
  std::thread warming_;
};

}  // namespace lyrabox::cdaudio
