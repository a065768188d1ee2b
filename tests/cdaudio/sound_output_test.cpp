// The disc played out loud, heard through SDL's file-writing output: what reaches the
// file must be the disc's own samples from where play starts, after a seek and after
// a pause; the position must be what has been played; an output that cannot be
// opened must leave the disc playing silently.
//
// The file output runs unpaced, as fast as the sound is read, so a few seconds of
// audio take a fraction of a second. It writes silence while nothing plays; the test
// images never hold a silent stereo sample, so silence is told apart exactly.
#include "cdaudio/sound_transport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "cdaudio/cdio_drive.h"
#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"
#include "cdaudio/scripted_drive.h"
#include "test_discs.h"

namespace lyrabox::cdaudio {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kSecond = static_cast<std::size_t>(kSampleRate) * 4;  // bytes of audio
constexpr std::size_t kOutputBuffer = SoundTransport::kOutputSamples * 4;

class Environment {
 public:
  Environment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~Environment() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

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

// Where two byte strings first differ, in whole stereo samples.
std::size_t CommonSamples(const Bytes& a, const Bytes& b) {
  const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return static_cast<std::size_t>(ia - a.begin()) / 4 * 4;
}

// A device on the image, heard through the file output.
class SoundOutputTest : public ::testing::Test {
 protected:
  SoundOutputTest()
      : driver_("SDL_AUDIODRIVER", "disk"),
        file_("SDL_DISKAUDIOFILE", folder.Output().string()),
        unpaced_("SDL_DISKAUDIODELAY", "0"),
        heard(folder.Output()) {}

  // Unpaced, the output plays the whole test disc in a few milliseconds: too fast to
  // pause or seek in the middle. Paced like this it still plays ten times as fast as
  // real time.
  static void PaceOutput() { ::setenv("SDL_DISKAUDIODELAY", "2", 1); }

  void StartDevice(std::shared_ptr<Drive> drive) {
    std::string why;
    auto transport = SoundTransport::Open(drive, why);
    ASSERT_TRUE(transport) << why;
    device = std::make_unique<CdAudioDevice>(std::move(drive), std::move(transport));
    Ask("open cdaudio alias cd wait shareable");
    Ask("set cd time format tmsf");
  }
  void StartOnImage() {
    StartDevice(CdioDrive::ForImage(folder.WriteImage(), CdioDrive::Watching::ByHand));
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

TEST_F(SoundOutputTest, ASeekWhilePlayingDropsWhatWasReadAheadAndPlaysFromTheNewPlace) {
  PaceOutput();
  StartOnImage();
  Ask("play cd from 1");
  HearAtLeast(kSecond);
  Ask("play cd from 3");
  const std::size_t heardBeforeSeek = heard.Sound().size();
  HearAtLeast(heardBeforeSeek + kSecond);
  Ask("stop cd");
  heard.Settle();

  const Bytes sound = heard.Sound();
  const Bytes first = SoundFolder::ImageBytes(Track(1), sound.size());
  const std::size_t fromFirst = CommonSamples(sound, first);
  EXPECT_GE(fromFirst, kSecond);
  // Only what the output had in hand when the command came; not the read-ahead.
  EXPECT_LE(fromFirst, heardBeforeSeek + 3 * kOutputBuffer);
  const Bytes rest = Slice(sound, fromFirst, sound.size());
  EXPECT_GE(rest.size(), kSecond / 2);
  EXPECT_EQ(rest, SoundFolder::ImageBytes(Track(3), rest.size()));
}

TEST_F(SoundOutputTest, PausedPositionIsWhatWasPlayedAndPlayGoesOnFromIt) {
  PaceOutput();
  StartOnImage();
  Ask("play cd from 1");
  HearAtLeast(kSecond);
  Ask("pause cd");
  heard.Settle();
  const Bytes beforePause = heard.Sound();
  const FrameAddress pausedAt =
      Track(1) + FrameCount{static_cast<std::int64_t>(beforePause.size() / kBytesPerFrame)};
  EXPECT_EQ(Ask("status cd mode"), "paused");
  Ask("set cd time format milliseconds");
  EXPECT_EQ(Ask("status cd position"), std::to_string(PositionToMilliseconds(pausedAt)));

  Ask("play cd");
  HearAtLeast(beforePause.size() + kSecond);
  Ask("stop cd");
  heard.Settle();

  const Bytes sound = heard.Sound();
  EXPECT_EQ(Slice(sound, 0, beforePause.size()),
            SoundFolder::ImageBytes(Track(1), beforePause.size()));
  // Play goes on from the start of the frame that was playing.
  const Bytes after = Slice(sound, beforePause.size(), sound.size());
  EXPECT_EQ(after, SoundFolder::ImageBytes(pausedAt, after.size()));
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
  device = OpenFromEnvironment();
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

// A drive whose reads hang until the test lets them go, as a drive fighting a
// scratch does.
class StuckDrive final : public Drive {
 public:
  explicit StuckDrive(std::shared_ptr<Drive> inner) : inner_(std::move(inner)) {}
  DriveState State() override { return inner_->State(); }
  bool OpenDoor() override { return inner_->OpenDoor(); }
  bool CloseDoor() override { return inner_->CloseDoor(); }
  bool ReadAudio(FrameAddress start, int count, std::span<std::int16_t> out) override {
    std::unique_lock lock(mutex_);
    ++waiting_;
    released_.wait(lock, [this] { return free_; });
    return inner_->ReadAudio(start, count, out);
  }
  bool Waiting() {
    std::lock_guard lock(mutex_);
    return waiting_ > 0;
  }
  void Release() {
    {
      std::lock_guard lock(mutex_);
      free_ = true;
    }
    released_.notify_all();
  }

 private:
  std::shared_ptr<Drive> inner_;
  std::mutex mutex_;
  std::condition_variable released_;
  int waiting_ = 0;
  bool free_ = false;
};

TEST_F(SoundOutputTest, APositionMovesOnlyWithWhatIsPlayedAndAStuckDriveHoldsNothingUp) {
  PaceOutput();
  auto drive = std::make_shared<StuckDrive>(
      CdioDrive::ForImage(folder.WriteImage(), CdioDrive::Watching::ByHand));
  StartDevice(drive);
  Ask("play cd from 2");
  ASSERT_TRUE(Eventually([&] { return drive->Waiting(); }));
  // The output has been asked for sound and got none: the position has not moved.
  EXPECT_EQ(Ask("status cd mode"), "playing");
  EXPECT_EQ(Ask("status cd position"), "02:00:00:00");
  // The commands answer while the drive is stuck.
  Ask("play cd from 3");
  Ask("stop cd");
  EXPECT_EQ(Ask("status cd position"), "03:00:00:00");
  Ask("play cd");
  drive->Release();
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

TEST_F(SilentPlaybackTest, AnOutputThatCannotBeOpenedPlaysSilentlyAndSaysSoOnce) {
  Environment output("SDL_AUDIODRIVER", "nonexistent");
  ::testing::internal::CaptureStderr();
  auto transport = TransportFromEnvironment(drive, clock);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("No sound output"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_EQ(PlayTwoSecondsOn(std::move(transport)), "02:00:02:00");
}

TEST_F(SilentPlaybackTest, NoneAsksForSilencePacedByTheClockWithoutAWord) {
  SoundFolder folder;
  Environment output("SDL_AUDIODRIVER", "disk");
  Environment file("SDL_DISKAUDIOFILE", folder.Output().string());
  Environment silent(kAudioVariable, "None");
  ::testing::internal::CaptureStderr();
  auto transport = TransportFromEnvironment(drive, clock);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(PlayTwoSecondsOn(std::move(transport)), "02:00:02:00");
  EXPECT_FALSE(fs::exists(folder.Output()));
}

}  // namespace
}  // namespace lyrabox::cdaudio
