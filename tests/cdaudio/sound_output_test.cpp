// SPDX-License-Identifier: GPL-3.0-or-later
// The disc played out loud, heard through SDL's file-writing output: what reaches the
// file must be the disc's own samples from where play starts, after a seek and after
// a pause; the position must be what has been played; an output that cannot be
// opened must leave the disc playing silently.
//
// The file output runs unpaced, as fast as the sound is read, so a few seconds of
// audio take a fraction of a second. It writes silence while nothing plays; the test
// images never hold a silent stereo sample, so silence is told apart exactly.
#include "cdaudio/linux/sound_transport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"
#include "cdaudio/linux/environment.h"
#include "cdaudio/linux/image_drive.h"
#include "cdaudio/linux/sound_module.h"
#include "cdaudio/scripted_drive.h"
#include "scoped_environment.h"
#include "test_discs.h"

namespace lyrabox::cdaudio {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kSecond = static_cast<std::size_t>(kSampleRate) * 4;  // bytes of audio
constexpr std::size_t kOutputBuffer = SoundTransport::kOutputSamples * 4;

using Environment = testing::ScopedEnvironment;

// Waits for a condition the sound threads bring about, with a deadline generous
// enough for a loaded machine under the sanitizers.
bool Eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A sample of the test image: every left sample is odd, so no stereo sample is
// silent, and every frame differs from every other.
std::uint16_t ImageSample(std::int64_t binFrame, std::size_t index) {
  if (index % 2 == 0) return static_cast<std::uint16_t>((binFrame * 4099 + index * 7) | 1);
  return static_cast<std::uint16_t>(binFrame * 131 - index);
}

// A cue/bin image of three tracks, and the file the sound output writes, in a folder
// of their own.
class SoundFolder {
 public:
  static constexpr std::int64_t kBinFrames = 900;  // 12 s
  static constexpr std::int64_t kTrackStarts[] = {0, 300, 600};

  SoundFolder() {
    static int made = 0;
    path_ = fs::path(::testing::TempDir()) /
            ("lyrabox-sound-" + std::to_string(::getpid()) + "-" + std::to_string(made++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~SoundFolder() { fs::remove_all(path_); }

  std::string WriteImage() {
    std::ofstream bin(path_ / "disc.bin", std::ios::binary);
    for (std::int64_t f = 0; f < kBinFrames; ++f) {
      for (std::size_t i = 0; i < kInterleavedSamplesPerFrame; ++i) {
        const std::uint16_t sample = ImageSample(f, i);
        bin.put(static_cast<char>(sample & 0xff));
        bin.put(static_cast<char>(sample >> 8));
      }
    }
    std::ofstream cue(path_ / "disc.cue");
    cue << "FILE \"disc.bin\" BINARY\n";
    for (std::size_t t = 0; t < std::size(kTrackStarts); ++t) {
      const Msf at = ToMsf(FrameCount{kTrackStarts[t]});
      cue << "  TRACK 0" << t + 1 << " AUDIO\n    INDEX 01 " << TwoDigits(at.minute) << ':'
          << TwoDigits(at.second) << ':' << TwoDigits(at.frame) << '\n';
    }
    return (path_ / "disc.cue").string();
  }

  // The image's bytes from disc address `start`, `length` bytes of them.
  static Bytes ImageBytes(FrameAddress start, std::size_t length) {
    Bytes bytes;
    for (std::int64_t f = (start - FrameAddress{kLeadInFrames}).value; bytes.size() < length; ++f) {
      for (std::size_t i = 0; i < kInterleavedSamplesPerFrame && bytes.size() < length; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(ImageSample(f, i) & 0xff));
        bytes.push_back(static_cast<std::uint8_t>(ImageSample(f, i) >> 8));
      }
    }
    return bytes;
  }

  fs::path Output() const { return path_ / "heard.raw"; }

 private:
  fs::path path_;
};

// What the file output has written so far: all of it, and its sound without the
// silence between.
class Heard {
 public:
  explicit Heard(fs::path path) : path_(std::move(path)) {}

  const Bytes& Sound() {
    Update();
    return sound_;
  }
  std::size_t Written() {
    Update();
    return written_;
  }
  // Returns once everything played so far is in the file: a paused or idle output
  // writes silence, so a few buffers more than now prove that the last sound is in.
  void Settle() {
    const std::size_t now = Written();
    ASSERT_TRUE(Eventually([&] { return Written() >= now + 3 * kOutputBuffer; }));
  }

 private:
  void Update() {
    std::ifstream file(path_, std::ios::binary);
    if (!file) return;
    file.seekg(static_cast<std::streamoff>(written_));
    std::vector<char> more(1 << 16);
    while (file.read(more.data(), static_cast<std::streamsize>(more.size())) || file.gcount() > 0) {
      const std::size_t got = static_cast<std::size_t>(file.gcount()) / 4 * 4;
      for (std::size_t i = 0; i < got; i += 4) {
        if (more[i] == 0 && more[i + 1] == 0 && more[i + 2] == 0 && more[i + 3] == 0) continue;
        sound_.insert(sound_.end(), more.begin() + static_cast<std::ptrdiff_t>(i),
                      more.begin() + static_cast<std::ptrdiff_t>(i + 4));
      }
      written_ += got;
      if (got != static_cast<std::size_t>(file.gcount())) break;  // a write in progress
    }
  }

  fs::path path_;
  std::size_t written_ = 0;
  Bytes sound_;
};

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t to) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(std::min(to, bytes.size())));
}


// A device on the image, heard through the file output.
class SoundOutputTest : public ::testing::Test {
 protected:
  SoundOutputTest()
      : driver_("SDL_AUDIODRIVER", "disk"),
        file_("SDL_DISKAUDIOFILE", folder.Output().string()),
        unpaced_("SDL_DISKAUDIODELAY", "0"),
        heard(folder.Output()) {}

  void StartDevice(std::shared_ptr<Drive> drive) {
    std::string why;
    auto transport = SoundTransport::Open(drive, why);
    ASSERT_TRUE(transport) << why;
    device = std::make_unique<CdAudioDevice>(std::move(drive), std::move(transport));
    Ask("open cdaudio alias cd wait shareable");
    Ask("set cd time format tmsf");
  }
  void StartOnImage() {
    StartDevice(ImageDrive::Open(folder.WriteImage(), Watching::ByHand));
  }

  std::string Ask(std::string_view command) {
    std::string reply;
    const std::uint32_t code = device->Send(command, reply);
    EXPECT_EQ(code, 0u) << '"' << command << "\": " << ErrorText(code);
    return reply;
  }
  void HearAtLeast(std::size_t bytes) {
    ASSERT_TRUE(Eventually([&] { return heard.Sound().size() >= bytes; }))
        << "heard " << heard.Sound().size() << " of " << bytes << " bytes";
  }
  void WaitUntilStopped() {
    ASSERT_TRUE(Eventually([&] { return Ask("status cd mode") == "stopped"; }));
  }

  static FrameAddress Track(int n) {
    return FrameAddress{kLeadInFrames + SoundFolder::kTrackStarts[n - 1]};
  }

  SoundFolder folder;

 private:
  Environment driver_;
  Environment file_;
  Environment unpaced_;

 protected:
  Heard heard;
  std::unique_ptr<Device> device;
};

TEST_F(SoundOutputTest, PlaysTheImagesSamplesFromWherePlayStartsAndStopsAtTheEnd) {
  StartOnImage();
  Ask("play cd from 2 to 2:0:3");
  WaitUntilStopped();
  heard.Settle();

  EXPECT_EQ(heard.Sound(), SoundFolder::ImageBytes(Track(2), 3 * kSecond));
  EXPECT_EQ(Ask("status cd position"), "02:00:03:00");
}

// A drive that reads only up to a frame the test sets and holds any read beyond it
// until the test lets it go, as a drive fighting a scratch does. With it the test
// decides where the sound stops coming, however fast the output runs.
class GatedDrive final : public Drive {
 public:
  explicit GatedDrive(std::shared_ptr<Drive> inner) : inner_(std::move(inner)) {}
  DriveState State() override { return inner_->State(); }
  bool OpenDoor() override { return inner_->OpenDoor(); }
  bool CloseDoor() override { return inner_->CloseDoor(); }
  bool ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) override {
    std::unique_lock lock(mutex_);
    ++held_;
    moved_.wait(lock, [&] { return open_ || start + FrameCount{count} <= limit_; });
    --held_;
    lock.unlock();
    return inner_->ReadAudio(start, count, out);
  }
  void Rest() override {
    std::lock_guard lock(mutex_);
    ++rests_;
  }
  int Rests() {
    std::lock_guard lock(mutex_);
    return rests_;
  }
  // True while a read waits at the gate.
  bool Holding() {
    std::lock_guard lock(mutex_);
    return held_ > 0;
  }
  // Reads may go up to `end` (exclusive) from now on.
  void AdmitUpTo(FrameAddress end) {
    {
      std::lock_guard lock(mutex_);
      limit_ = end;
    }
    moved_.notify_all();
  }
  void Open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    moved_.notify_all();
  }

 private:
  std::shared_ptr<Drive> inner_;
  std::mutex mutex_;
  std::condition_variable moved_;
  int held_ = 0;
  int rests_ = 0;
  bool open_ = false;
  FrameAddress limit_{0};
};

class GatedSoundTest : public SoundOutputTest {
 protected:
  void StartOnGatedImage() {
    drive = std::make_shared<GatedDrive>(
        ImageDrive::Open(folder.WriteImage(), Watching::ByHand));
    StartDevice(drive);
  }
  // Plays from `from` until the output has taken every frame up to `upTo` and the
  // reader waits at the gate for the next ones.
  void PlayUpTo(FrameAddress from, FrameAddress upTo, std::string_view command) {
    drive->AdmitUpTo(upTo);
    Ask(command);
    const std::size_t bytes = static_cast<std::size_t>((upTo - from).value) * kBytesPerFrame;
    HearAtLeast(bytes);
    ASSERT_TRUE(Eventually([&] { return drive->Holding(); }));
  }

  std::shared_ptr<GatedDrive> drive;
};

constexpr FrameCount kTwoSeconds{150};  // a whole number of the reader's reads

TEST_F(GatedSoundTest, ASeekWhilePlayingDropsTheReadInHandAndPlaysFromTheNewPlace) {
  StartOnGatedImage();
  PlayUpTo(Track(1), Track(1) + kTwoSeconds, "play cd from 1");
  // The reader is in the middle of a read beyond the gate: what it brings back
  // belongs to the old place and must never be heard.
  Ask("play cd from 3");
  drive->Open();
  HearAtLeast(2 * kSecond + kSecond);
  Ask("stop cd");
  heard.Settle();

  const Bytes sound = heard.Sound();
  EXPECT_EQ(Slice(sound, 0, 2 * kSecond), SoundFolder::ImageBytes(Track(1), 2 * kSecond));
  const Bytes rest = Slice(sound, 2 * kSecond, sound.size());
  EXPECT_GE(rest.size(), kSecond);
  EXPECT_EQ(rest, SoundFolder::ImageBytes(Track(3), rest.size()));
}

TEST_F(GatedSoundTest, PausedPositionIsWhatWasPlayedAndPlayGoesOnFromIt) {
  StartOnGatedImage();
  const FrameAddress pausedAt = Track(1) + kTwoSeconds;
  PlayUpTo(Track(1), pausedAt, "play cd from 1");
  EXPECT_EQ(drive->Rests(), 0);
  Ask("pause cd");
  heard.Settle();
  EXPECT_EQ(heard.Sound().size(), 2 * kSecond);
  EXPECT_EQ(Ask("status cd mode"), "paused");
  Ask("set cd time format milliseconds");
  EXPECT_EQ(Ask("status cd position"), std::to_string(PositionToMilliseconds(pausedAt)));

  drive->Open();
  Ask("play cd");
  HearAtLeast(3 * kSecond);
  Ask("stop cd");
  heard.Settle();

  const Bytes sound = heard.Sound();
  EXPECT_EQ(sound, SoundFolder::ImageBytes(Track(1), sound.size()));
  // What the drive keeps to read on from where it was may go while nothing plays.
  EXPECT_TRUE(Eventually([&] { return drive->Rests() > 0; }));
}

// SDL would otherwise catch these for an event queue nobody reads, and the player
// would outlive a kill or a logout.
TEST_F(SoundOutputTest, OpeningTheOutputLeavesTheTerminationSignalsAlone) {
  StartOnImage();
  for (const int signal : {SIGTERM, SIGINT}) {
    struct sigaction current {};
    ASSERT_EQ(::sigaction(signal, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL) << "signal " << signal;
  }
}

TEST_F(SoundOutputTest, FramesTheDriveCannotReadPlayAsSilenceAndPlayGoesOn) {
  auto drive = std::make_shared<ScriptedDrive>(testing::ThreeTrackDisc());
  drive->FailReads(true);
  StartDevice(drive);
  Ask("play cd from 2 to 2:0:1");
  WaitUntilStopped();
  heard.Settle();
  EXPECT_EQ(Ask("status cd position"), "02:00:01:00");
  EXPECT_TRUE(heard.Sound().empty());
  EXPECT_GE(heard.Written(), kSecond);
}

TEST_F(SoundOutputTest, TheDemoDiscIsHeard) {
  Environment disc("LYRABOX_CD", "demo");
  device = OpenFromEnvironment(&SoundTransport::Open);
  Ask("open cdaudio alias cd wait shareable");
  Ask("set cd time format tmsf");
  Ask("play cd from 3 to 3:0:1");
  WaitUntilStopped();
  heard.Settle();

  const FrameAddress start = DemoDiscContents().TrackStart(TrackNumber{3});
  std::vector<std::int16_t> samples(75 * kInterleavedSamplesPerFrame);
  ASSERT_TRUE(GenerateDemoAudio(start, 75, samples));
  // The demo disc fades in from silence, so compare the sound with its silence taken
  // out the same way.
  Bytes expected;
  for (std::size_t i = 0; i < samples.size(); i += 2) {
    if (samples[i] == 0 && samples[i + 1] == 0) continue;
    for (const std::int16_t sample : {samples[i], samples[i + 1]}) {
      const auto word = static_cast<std::uint16_t>(sample);
      expected.push_back(static_cast<std::uint8_t>(word & 0xff));
      expected.push_back(static_cast<std::uint8_t>(word >> 8));
    }
  }
  EXPECT_GT(expected.size(), kSecond / 2);
  EXPECT_EQ(heard.Sound(), expected);
}

TEST_F(GatedSoundTest, APositionMovesOnlyWithWhatIsPlayedAndAStuckDriveHoldsNothingUp) {
  StartOnGatedImage();
  Ask("play cd from 2");
  ASSERT_TRUE(Eventually([&] { return drive->Holding(); }));
  // The output has been asked for sound and got none: the position has not moved.
  EXPECT_EQ(Ask("status cd mode"), "playing");
  EXPECT_EQ(Ask("status cd position"), "02:00:00:00");
  // The commands answer while the drive is stuck.
  Ask("play cd from 3");
  Ask("stop cd");
  EXPECT_EQ(Ask("status cd position"), "03:00:00:00");
  Ask("play cd");
  drive->Open();
  HearAtLeast(kSecond / 2);
  Ask("stop cd");
  heard.Settle();
  const Bytes sound = heard.Sound();
  EXPECT_EQ(sound, SoundFolder::ImageBytes(Track(3), sound.size()));
}

class SilentPlaybackTest : public ::testing::Test {
 protected:
  // Plays two seconds on the clock and says where the device is then.
  std::string PlayTwoSecondsOn(std::unique_ptr<Transport> transport) {
    CdAudioDevice device(drive, std::move(transport));
    std::string reply;
    device.Send("open cdaudio alias cd", reply);
    device.Send("set cd time format tmsf", reply);
    device.Send("play cd from 2", reply);
    clock->Advance(std::chrono::seconds(2));
    device.Send("status cd position", reply);
    return reply;
  }

  std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
  std::shared_ptr<ScriptedDrive> drive =
      std::make_shared<ScriptedDrive>(testing::ThreeTrackDisc());
};

// The output is opened by the first Play, not before (a start that never plays loads
// and opens nothing of it), and only once; one that cannot be opened leaves the disc
// playing silently after one line.
TEST_F(SilentPlaybackTest, TheFirstPlayOpensTheOutputAndOneThatCannotBeOpenedPlaysSilently) {
  Environment output("SDL_AUDIODRIVER", "nonexistent");
  int opened = 0;
  const SoundOpener open = [&opened](std::shared_ptr<Drive> drive, std::string& why) {
    ++opened;
    return SoundTransport::Open(std::move(drive), why);
  };
  ::testing::internal::CaptureStderr();
  CdAudioDevice device(drive, TransportFromEnvironment(drive, clock, open));
  std::string reply;
  for (const char* command : {"open cdaudio alias cd wait shareable", "set cd time format tmsf wait",
                              "status cd mode", "seek cd to 2", "stop cd wait"}) {
    device.Send(command, reply);
  }
  EXPECT_EQ(opened, 0);
  device.Send("play cd from 2", reply);
  clock->Advance(std::chrono::seconds(2));
  device.Send("status cd position", reply);
  EXPECT_EQ(reply, "02:00:02:00");
  device.Send("play cd from 3", reply);
  EXPECT_EQ(opened, 1);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("No sound output"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(SilentPlaybackTest, NoneAsksForSilencePacedByTheClockWithoutAWord) {
  SoundFolder folder;
  Environment output("SDL_AUDIODRIVER", "disk");
  Environment file("SDL_DISKAUDIOFILE", folder.Output().string());
  Environment silent(kAudioVariable, "None");
  ::testing::internal::CaptureStderr();
  auto transport = TransportFromEnvironment(drive, clock, &SoundTransport::Open);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(PlayTwoSecondsOn(std::move(transport)), "02:00:02:00");
  EXPECT_FALSE(fs::exists(folder.Output()));
}

// The sound output's module, loaded by a load the test holds: the window's warming and
// the first Play share one load, whichever comes first.
class SoundModuleTest : public SilentPlaybackTest {
 protected:
  static Transport* OpenSilently(const std::shared_ptr<Drive>&, std::string&) {
    return new ClockTransport(std::make_shared<ManualClock>());
  }
  std::unique_ptr<Transport> Play(SoundModule& module) {
    std::string why;
    return module.Open(drive, why);
  }
  static void Raise(std::atomic<bool>& flag) {
    flag = true;
    flag.notify_all();
  }
};

TEST_F(SoundModuleTest, APlayDuringTheWarmingWaitsForItsLoadAndNothingIsLoadedAgain) {
  std::atomic<bool> began{false};
  std::atomic<bool> released{false};
  int loads = 0;
  int waits = 0;
  SoundModule module(
      [&] {
        if (++loads == 1) {
          Raise(began);
          released.wait(false);
        }
        return SoundModule::Loaded{&OpenSilently, ""};
      },
      [&] {
        ++waits;
        Raise(released);
      });
  module.WarmInBackground();
  began.wait(false);
  EXPECT_NE(Play(module), nullptr);
  EXPECT_NE(Play(module), nullptr);
  module.WarmInBackground();
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(waits, 1);
  Raise(released);  // lets the warming end, should the Play not have waited
}

TEST_F(SoundModuleTest, APlayBeforeAnyWarmingLoadsItselfAndSilenceLoadsNothing) {
  int loads = 0;
  const SoundModule::Load load = [&loads] {
    ++loads;
    return SoundModule::Loaded{nullptr, "the module is not there"};
  };
  {
    Environment silent(kAudioVariable, "none");
    SoundModule module(load, [] {});
    module.WarmInBackground();
  }
  EXPECT_EQ(loads, 0);
  {
    SoundModule module(load, [] {});
    std::string why;
    EXPECT_EQ(module.Open(drive, why), nullptr);
    EXPECT_EQ(why, "the module is not there");
    module.WarmInBackground();
  }
  EXPECT_EQ(loads, 1);
}

}  // namespace
}  // namespace lyrabox::cdaudio
