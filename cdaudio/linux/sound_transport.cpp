#include "cdaudio/linux/sound_transport.h"

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace lyrabox::cdaudio {

namespace {

constexpr std::size_t kRingSamples =
    static_cast<std::size_t>(SoundTransport::kReadAheadFrames) * kInterleavedSamplesPerFrame;

// How long the output waits for a late drive before it plays silence instead. The
// output's own buffer runs dry in about the same time, so waiting longer gains nothing.
constexpr auto kLateDriveWait = std::chrono::milliseconds(100);

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// On a machine without a sound card the ALSA library prints a screenful of its own
// complaints while SDL looks for an output; our one line says all the user needs.
// SDL loads the library itself, so reach its error handler the same way.
void QuietAlsaLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    void* alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (alsa == nullptr) return;  // kept open for good: the handler must stay
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    const auto set = reinterpret_cast<SetHandler>(::dlsym(alsa, "snd_lib_error_set_handler"));
    if (set != nullptr) set(&IgnoreAlsaMessage);
  });
}

}  // namespace

std::unique_ptr<SoundTransport> SoundTransport::Open(std::shared_ptr<Drive> drive,
                                                     std::string& why) {
  QuietAlsaLibrary();
  // SDL's audio brings its event queue along, which by default turns SIGINT and
  // SIGTERM into a quit event that nobody here reads: the program would then ignore
  // a plain kill and a session's logout. Leave the signals alone.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    why = SDL_GetError();
    return nullptr;
  }
  std::unique_ptr<SoundTransport> transport(new SoundTransport(std::move(drive)));
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(kSampleRate);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = static_cast<Uint8>(kChannels);
  wanted.samples = kOutputSamples;
  wanted.callback = &SoundTransport::OutputCallback;
  wanted.userdata = transport.get();
  // No changes allowed: SDL converts to whatever the output really takes.
  const SDL_AudioDeviceID output = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  if (output == 0) {
    why = SDL_GetError();
    transport.reset();  // quits the subsystem again
    return nullptr;
  }
  transport->output_ = output;
  return transport;
}

SoundTransport::SoundTransport(std::shared_ptr<Drive> drive)
    : drive_(std::move(drive)), ring_(kRingSamples) {
  reader_ = std::thread([this] { ReadAhead(); });
}

SoundTransport::~SoundTransport() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    ++generation_;
  }
  readerWake_.notify_all();
  soundArrived_.notify_all();
  reader_.join();
  if (output_ != 0) SDL_CloseAudioDevice(output_);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SoundTransport::Play(FrameAddress from, FrameAddress end) {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    from_ = from;
    end_ = std::max(from, end);
    nextToRead_ = from;
    haltedAt_ = end_;
    total_ = static_cast<std::size_t>((end_ - from_).value) * kInterleavedSamplesPerFrame;
    consumed_ = 0;
    ringStart_ = ringSize_ = 0;
    playing_ = true;
  }
  readerWake_.notify_all();
  soundArrived_.notify_all();
  MatchOutputToPlay();
}

void SoundTransport::Halt() {
  {
    std::lock_guard lock(mutex_);
    if (playing_) haltedAt_ = PositionLocked();
    ++generation_;
    playing_ = false;
    ringStart_ = ringSize_ = 0;
  }
  soundArrived_.notify_all();
  MatchOutputToPlay();
}

FrameAddress SoundTransport::Position() {
  std::lock_guard lock(mutex_);
  return PositionLocked();
}

FrameAddress SoundTransport::PositionLocked() const {
  if (!playing_) return haltedAt_;
  return from_ + FrameCount{static_cast<std::int64_t>(consumed_ / kInterleavedSamplesPerFrame)};
}

bool SoundTransport::Running() {
  std::lock_guard lock(mutex_);
  return SoundingLocked();
}

void SoundTransport::WaitUntilEnd() {
  std::unique_lock lock(mutex_);
  soundArrived_.wait(lock, [this] { return stopping_ || !SoundingLocked(); });
}

void SoundTransport::MatchOutputToPlay() {
  std::lock_guard output(outputMutex_);
  bool wanted;
  {
    std::lock_guard lock(mutex_);
    wanted = SoundingLocked() && !stopping_;
    outputStale_ = false;
  }
  if (wanted == outputStarted_ || output_ == 0) return;
  SDL_PauseAudioDevice(output_, wanted ? 0 : 1);
  outputStarted_ = wanted;
}

void SoundTransport::OutputCallback(void* self, std::uint8_t* stream, int length) {
  static_cast<SoundTransport*>(self)->FillOutput(
      stream, static_cast<std::size_t>(std::max(length, 0)) / sizeof(std::int16_t));
}

void SoundTransport::FillOutput(std::uint8_t* stream, std::size_t samples) {
  std::size_t filled = 0;
  bool endHeard = false;
  {
    std::unique_lock lock(mutex_);
    while (filled < samples && SoundingLocked() && !stopping_) {
      if (ringSize_ == 0) {
        // The reader is behind: give it a moment, then play silence rather than hold
        // up the output. A Play or Halt meanwhile ends the wait at once.
        const std::uint64_t generation = generation_;
        if (!soundArrived_.wait_for(lock, kLateDriveWait, [&] {
              return stopping_ || generation_ != generation || ringSize_ > 0;
            })) {
          break;
        }
        continue;
      }
      const std::size_t take =
          std::min({samples - filled, ringSize_, total_ - consumed_, kRingSamples - ringStart_});
      std::memcpy(stream + filled * sizeof(std::int16_t), ring_.data() + ringStart_,
                  take * sizeof(std::int16_t));
      filled += take;
      ringStart_ = (ringStart_ + take) % kRingSamples;
      ringSize_ -= take;
      consumed_ += take;
      if (consumed_ == total_) {
        endHeard = true;
        outputStale_ = true;
      }
    }
  }
  std::memset(stream + filled * sizeof(std::int16_t), 0, (samples - filled) * sizeof(std::int16_t));
  readerWake_.notify_all();
  if (endHeard) soundArrived_.notify_all();
}

void SoundTransport::ReadAhead() {
  std::vector<std::int16_t> chunk(static_cast<std::size_t>(kReadFrames) *
                                  kInterleavedSamplesPerFrame);
  std::unique_lock lock(mutex_);
  while (true) {
    // Whole reads only, until the last one before the end: a drive reads a few
    // sectors at once far better than one at a time, and the reads stay on the
    // same boundaries from where play began.
    const auto readFrom = [this](FrameAddress at) {
      const std::int64_t wanted = std::min<std::int64_t>((end_ - at).value, kReadFrames);
      const auto room =
          static_cast<std::int64_t>((kRingSamples - ringSize_) / kInterleavedSamplesPerFrame);
      return static_cast<int>(room >= wanted ? wanted : 0);
    };
    readerWake_.wait(lock, [&] {
      return stopping_ || outputStale_ ||
             (playing_ && nextToRead_ < end_ && readFrom(nextToRead_) > 0);
    });
    if (stopping_) return;
    if (outputStale_) {
      lock.unlock();
      MatchOutputToPlay();
      lock.lock();
      continue;
    }
    const std::uint64_t generation = generation_;
    const FrameAddress at = nextToRead_;
    const int count = readFrom(at);
    const std::span<std::int16_t> out(chunk.data(), count * kInterleavedSamplesPerFrame);
    lock.unlock();
    ReadFrames(at, count, out);
    lock.lock();
    // A Play or Halt while the drive was reading: this is no longer wanted.
    if (generation != generation_) continue;
    for (std::size_t done = 0; done < out.size();) {
      const std::size_t tail = (ringStart_ + ringSize_) % kRingSamples;
      const std::size_t take = std::min(out.size() - done, kRingSamples - tail);
      std::copy_n(out.data() + done, take, ring_.data() + tail);
      ringSize_ += take;
      done += take;
    }
    nextToRead_ = at + FrameCount{count};
    soundArrived_.notify_all();
  }
}

void SoundTransport::ReadFrames(FrameAddress start, int count, std::span<std::int16_t> out) {
  if (drive_->ReadAudio(start, count, out)) return;
  // Read what can be read one frame at a time; the rest is silence.
  for (int f = 0; f < count; ++f) {
    const auto frame = out.subspan(static_cast<std::size_t>(f) * kInterleavedSamplesPerFrame,
                                   kInterleavedSamplesPerFrame);
    if (!drive_->ReadAudio(start + FrameCount{f}, 1, frame)) {
      std::fill(frame.begin(), frame.end(), std::int16_t{0});
    }
  }
}

}  // namespace lyrabox::cdaudio
