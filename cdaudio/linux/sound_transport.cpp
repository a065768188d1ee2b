// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/linux/sound_transport.h"

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

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

// How long closing waits for a drive read under way before it leaves the reader to
// end by itself.
constexpr auto kReaderWait = std::chrono::seconds(1);

}  // namespace

class SoundTransport::Core {
 public:
  explicit Core(std::shared_ptr<Drive> drive) : drive_(std::move(drive)), ring_(kRingSamples) {}

  void Play(FrameAddress from, FrameAddress end);
  void Halt();
  FrameAddress Position();
  bool Running();
  void WaitUntilEnd();
  static void OutputCallback(void* self, std::uint8_t* stream, int length);
  void ReadAhead();
  // Stops the reader; true when it is in a drive read that has not ended within
  // kReaderWait.
  bool Stop();
  void CloseOutput();

  std::uint32_t output_ = 0;  // SDL's device id; set once by Open, before any Play

 private:
  void FillOutput(std::uint8_t* stream, std::size_t samples);
  // Reads `count` frames from `start`; a frame that cannot be read is silence. False
  // when the disc has gone from the drive.
  bool ReadFrames(FrameAddress start, int count, std::span<std::int16_t> out);
  // Starts or pauses the output to match what is to be played. Never called with
  // mutex_ held: pausing waits for the output thread, which takes mutex_.
  void MatchOutputToPlay();
  FrameAddress PositionLocked() const;
  // A play whose disc has gone is over: what was read of it is not played.
  bool SoundingLocked() const { return playing_ && !discGone_ && consumed_ < total_; }

  const std::shared_ptr<Drive> drive_;

  std::mutex outputMutex_;  // one start or pause of the output at a time
  bool outputStarted_ = false;

  mutable std::mutex mutex_;  // guards what follows
  std::condition_variable readerWake_;
  std::condition_variable soundArrived_;  // for the output, and for WaitUntilEnd
  std::condition_variable readEnded_;     // for Stop
  bool stopping_ = false;
  bool reading_ = false;    // the reader is in a drive read
  bool playing_ = false;    // from Play until Halt (still true once the end is heard)
  bool outputStale_ = false;  // the end was heard: the output should pause
  bool discGone_ = false;   // the disc left the drive during this play, which ends it
  std::uint64_t generation_ = 0;  // changes with every Play and Halt
  FrameAddress from_;
  FrameAddress end_;
  FrameAddress nextToRead_;
  FrameAddress haltedAt_;
  std::size_t total_ = 0;     // interleaved samples from from_ to end_
  std::size_t consumed_ = 0;  // of those, taken by the output
  std::vector<std::int16_t> ring_;  // read ahead, not yet taken
  std::size_t ringStart_ = 0;
  std::size_t ringSize_ = 0;
};

bool SoundTransport::Warm(std::string& why) {
  QuietAlsaLibrary();
  // SDL's audio brings its event queue along, which by default turns SIGINT and
  // SIGTERM into a quit event that nobody here reads: the program would then ignore
  // a plain kill and a session's logout. Leave the signals alone.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // SDL counts the starts: each Open adds one, which its transport's end takes away.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
  why = SDL_GetError();
  return false;
}

std::unique_ptr<SoundTransport> SoundTransport::Open(std::shared_ptr<Drive> drive,
                                                     std::string& why) {
  if (!Warm(why)) return nullptr;
  std::unique_ptr<SoundTransport> transport(new SoundTransport(std::move(drive)));
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(kSampleRate);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = static_cast<Uint8>(kChannels);
  wanted.samples = kOutputSamples;
  wanted.callback = &Core::OutputCallback;
  wanted.userdata = transport->core_.get();
  // No changes allowed: SDL converts to whatever the output really takes.
  const SDL_AudioDeviceID output = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  if (output == 0) {
    why = SDL_GetError();
    transport.reset();  // quits the subsystem again
    return nullptr;
  }
  transport->core_->output_ = output;
  return transport;
}

SoundTransport::SoundTransport(std::shared_ptr<Drive> drive)
    : core_(std::make_shared<Core>(std::move(drive))) {
  reader_ = std::thread([core = core_] { core->ReadAhead(); });
}

SoundTransport::~SoundTransport() {
  if (core_->Stop()) {
    reader_.detach();
  } else {
    reader_.join();
  }
  core_->CloseOutput();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SoundTransport::Play(FrameAddress from, FrameAddress end) { core_->Play(from, end); }
void SoundTransport::Halt() { core_->Halt(); }
FrameAddress SoundTransport::Position() { return core_->Position(); }
bool SoundTransport::Running() { return core_->Running(); }
void SoundTransport::WaitUntilEnd() { core_->WaitUntilEnd(); }

bool SoundTransport::Core::Stop() {
  std::unique_lock lock(mutex_);
  stopping_ = true;
  ++generation_;
  readerWake_.notify_all();
  soundArrived_.notify_all();
  return !readEnded_.wait_for(lock, kReaderWait, [this] { return !reading_; });
}

void SoundTransport::Core::CloseOutput() {
  // After this the output thread no longer calls in.
  if (output_ != 0) SDL_CloseAudioDevice(output_);
}

void SoundTransport::Core::Play(FrameAddress from, FrameAddress end) {
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
    discGone_ = false;
  }
  readerWake_.notify_all();
  soundArrived_.notify_all();
  MatchOutputToPlay();
}

void SoundTransport::Core::Halt() {
  {
    std::lock_guard lock(mutex_);
    if (playing_) haltedAt_ = PositionLocked();
    ++generation_;
    playing_ = false;
    ringStart_ = ringSize_ = 0;
  }
  readerWake_.notify_all();  // to let the drive rest
  soundArrived_.notify_all();
  MatchOutputToPlay();
}

FrameAddress SoundTransport::Core::Position() {
  std::lock_guard lock(mutex_);
  return PositionLocked();
}

FrameAddress SoundTransport::Core::PositionLocked() const {
  if (!playing_) return haltedAt_;
  return from_ + FrameCount{static_cast<std::int64_t>(consumed_ / kInterleavedSamplesPerFrame)};
}

bool SoundTransport::Core::Running() {
  std::lock_guard lock(mutex_);
  return SoundingLocked();
}

void SoundTransport::Core::WaitUntilEnd() {
  std::unique_lock lock(mutex_);
  soundArrived_.wait(lock, [this] { return stopping_ || !SoundingLocked(); });
}

void SoundTransport::Core::MatchOutputToPlay() {
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

void SoundTransport::Core::OutputCallback(void* self, std::uint8_t* stream, int length) {
  static_cast<Core*>(self)->FillOutput(
      stream, static_cast<std::size_t>(std::max(length, 0)) / sizeof(std::int16_t));
}

void SoundTransport::Core::FillOutput(std::uint8_t* stream, std::size_t samples) {
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

void SoundTransport::Core::ReadAhead() {
  std::vector<std::int16_t> chunk(static_cast<std::size_t>(kReadFrames) *
                                  kInterleavedSamplesPerFrame);
  std::unique_lock lock(mutex_);
  // Calls into the drive without the lock, which the drive may keep as long as it
  // takes; Stop waits for the call to end (reading_).
  const auto inDrive = [&](auto call) {
    reading_ = true;
    lock.unlock();
    call();
    lock.lock();
    reading_ = false;
    readEnded_.notify_all();
  };
  bool resting = true;  // the drive knows that play has stopped
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
      return stopping_ || outputStale_ || (!resting && !SoundingLocked()) ||
             (SoundingLocked() && nextToRead_ < end_ && readFrom(nextToRead_) > 0);
    });
    if (stopping_) return;
    if (!resting && !SoundingLocked()) {
      resting = true;
      inDrive([this] { drive_->Rest(); });
      continue;
    }
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
    bool discThere = false;
    inDrive([&] { discThere = ReadFrames(at, count, out); });
    resting = false;
    // A Play or Halt while the drive was reading: this is no longer wanted.
    if (generation != generation_) continue;
    if (!discThere) {
      discGone_ = true;
      outputStale_ = true;
      soundArrived_.notify_all();
      continue;
    }
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

bool SoundTransport::Core::ReadFrames(FrameAddress start, int count, std::span<std::int16_t> out) {
  if (drive_->ReadAudio(start, count, out)) return true;
  std::fill(out.begin(), out.end(), std::int16_t{0});
  // A disc that has gone gives nothing frame by frame either.
  if (drive_->State().condition != DiscCondition::Ready) return false;
  // Read what can be read one frame at a time; the rest is silence.
  for (int f = 0; f < count; ++f) {
    const auto frame = out.subspan(static_cast<std::size_t>(f) * kInterleavedSamplesPerFrame,
                                   kInterleavedSamplesPerFrame);
    if (!drive_->ReadAudio(start + FrameCount{f}, 1, frame)) {
      std::fill(frame.begin(), frame.end(), std::int16_t{0});
    }
  }
  return true;
}

}  // namespace lyrabox::cdaudio
