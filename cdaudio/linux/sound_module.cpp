// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/linux/sound_module.h"

#include "base/module.h"
#include "base/start_timeline.h"

namespace lyrabox::cdaudio {

namespace {

SoundModule::Loaded LoadBesideProgram() {
  SoundModule::Loaded loaded;
  auto* warm = modules::Entry<WarmSoundEntry>(kSoundModule, kWarmSoundEntry, loaded.why);
  if (warm == nullptr) return loaded;
  auto* open = modules::Entry<OpenSoundEntry>(kSoundModule, kOpenSoundEntry, loaded.why);
  if (open == nullptr) return loaded;
  // SDL's audio that cannot start now is tried again by the open, which says why.
  std::string why;
  warm(why);
  loaded.open = open;
  timeline::Mark("sound output loaded");
  return loaded;
}

}  // namespace

SoundModule::SoundModule()
    : SoundModule(&LoadBesideProgram, [] { timeline::Mark("Play waits for the sound output"); }) {}

SoundModule::SoundModule(Load load, std::function<void()> waiting)
    : load_(std::move(load)), waiting_(std::move(waiting)) {}

SoundModule::~SoundModule() {
  if (warming_.joinable()) warming_.join();
}

void SoundModule::WarmInBackground() {
  if (SilentByChoice()) return;
  const std::lock_guard lock(mutex_);
  if (state_ != State::Unloaded) return;
  state_ = State::Loading;
  warming_ = std::thread([this] { Finish(load_()); });
}

std::unique_ptr<Transport> SoundModule::Open(std::shared_ptr<Drive> drive, std::string& why) {
  const Loaded& loaded = Await();
  if (loaded.open == nullptr) {
    why = loaded.why;
    return nullptr;
  }
  return std::unique_ptr<Transport>(loaded.open(drive, why));
}

SoundOpener SoundModule::Opener() {
  return [this](std::shared_ptr<Drive> drive, std::string& why) { return Open(std::move(drive), why); };
}

const SoundModule::Loaded& SoundModule::Await() {
  std::unique_lock lock(mutex_);
  if (state_ == State::Unloaded) {
    state_ = State::Loading;
    lock.unlock();
    Finish(load_());
    return loaded_;
  }
  if (state_ == State::Loading) {
    lock.unlock();
    waiting_();
    lock.lock();
    finished_.wait(lock, [this] { return state_ == State::Loaded; });
  }
  return loaded_;
}

void SoundModule::Finish(Loaded loaded) {
  {
    const std::lock_guard lock(mutex_);
    loaded_ = std::move(loaded);
    state_ = State::Loaded;
  }
  finished_.notify_all();
}

}  // namespace lyrabox::cdaudio
