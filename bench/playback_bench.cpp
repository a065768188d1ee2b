// SPDX-License-Identifier: GPL-3.0-or-later
// What playing a disc out loud costs: CPU time per minute of playback, the time from a
// seek to the first sound of the new place, and the peak memory of a process that
// plays. Not a test: it prints figures.
//
//   lyrabox-playback-bench PATH-TO-lyrabox-mci
//
// The sound goes to SDL's file-writing output, the way a sound card would take it but
// without one: unpaced (as fast as it is read) for the CPU figures, paced for the seek
// figures. The file output writes through a stdio buffer of one output buffer, so the
// seek figures include up to one output cycle that a sound card would not add.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"
#include "cdaudio/linux/image_drive.h"
#include "cdaudio/linux/sound_transport.h"

namespace fs = std::filesystem;
using namespace lyrabox::cdaudio;
using Seconds = std::chrono::duration<double>;

namespace {

constexpr std::int64_t kImageMinutes = 3;
constexpr std::int64_t kImageFrames = kImageMinutes * kFramesPerMinute;
constexpr int kSeeks = 20;

std::uint16_t ImageSample(std::int64_t binFrame, std::size_t index) {
  if (index % 2 == 0) return static_cast<std::uint16_t>((binFrame * 4099 + index * 7) | 1);
  return static_cast<std::uint16_t>(binFrame * 131 - index);
}

// A cue/bin image of kImageMinutes minutes, a track a minute, every frame different.
std::string WriteImage(const fs::path& folder) {
  std::ofstream bin(folder / "bench.bin", std::ios::binary);
  std::vector<char> frame(kBytesPerFrame);
  for (std::int64_t f = 0; f < kImageFrames; ++f) {
    for (std::size_t i = 0; i < kInterleavedSamplesPerFrame; ++i) {
      const std::uint16_t sample = ImageSample(f, i);
      frame[2 * i] = static_cast<char>(sample & 0xff);
      frame[2 * i + 1] = static_cast<char>(sample >> 8);
    }
    bin.write(frame.data(), static_cast<std::streamsize>(frame.size()));
  }
  std::ofstream cue(folder / "bench.cue");
  cue << "FILE \"bench.bin\" BINARY\n";
  for (std::int64_t t = 0; t < kImageMinutes; ++t) {
    cue << "  TRACK 0" << t + 1 << " AUDIO\n    INDEX 01 " << TwoDigits(t) << ":00:00\n";
  }
  return (folder / "bench.cue").string();
}

double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::unique_ptr<Device> SoundDevice(std::shared_ptr<Drive> drive) {
  std::string why;
  auto transport = SoundTransport::Open(drive, why);
  if (!transport) {
    std::fprintf(stderr, "cannot open the sound output: %s\n", why.c_str());
    std::exit(1);
  }
  return std::make_unique<CdAudioDevice>(std::move(drive), std::move(transport));
}

std::string Send(Device& device, const std::string& command) {
  std::string reply;
  if (const std::uint32_t code = device.Send(command, reply); code != 0) {
    std::fprintf(stderr, "\"%s\" failed: %s\n", command.c_str(), ErrorText(code).c_str());
    std::exit(1);
  }
  return reply;
}

// Plays `command` (a "play ... wait") unpaced to /dev/null and prints the CPU it took
// for `audioSeconds` of sound.
void MeasureCpu(const char* what, std::shared_ptr<Drive> drive, const std::string& command,
                double audioSeconds) {
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  ::setenv("SDL_DISKAUDIODELAY", "0", 1);
  auto device = SoundDevice(std::move(drive));
  Send(*device, "open cdaudio alias cd wait shareable");
  Send(*device, "set cd time format tmsf");
  const double cpuBefore = CpuSeconds();
  const auto wallBefore = std::chrono::steady_clock::now();
  Send(*device, command);
  const double cpu = CpuSeconds() - cpuBefore;
  const double wall = Seconds(std::chrono::steady_clock::now() - wallBefore).count();
  std::printf("%-44s %6.1f s of audio in %6.3f s: %.3f CPU s per minute of playback\n", what,
              audioSeconds, wall, cpu / (audioSeconds / 60.0));
}

// Plays in real time to the dummy output for `seconds` and prints the CPU per minute.
void MeasurePacedCpu(std::shared_ptr<Drive> drive, int seconds) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto device = SoundDevice(std::move(drive));
  Send(*device, "open cdaudio alias cd wait shareable");
  Send(*device, "set cd time format tmsf");
  const double cpuBefore = CpuSeconds();
  Send(*device, "play cd from 1 to 1:0:" + std::to_string(seconds) + " wait");
  const double cpu = CpuSeconds() - cpuBefore;
  std::printf("%-44s %6d s of audio in real time: %.3f CPU s per minute of playback\n",
              "image, real-time null output (dummy)", seconds, cpu / (seconds / 60.0));
}

// The output file, read as it grows.
class GrowingFile {
 public:
  explicit GrowingFile(const fs::path& path) : file_(path, std::ios::binary) {}
  // True once `pattern` has appeared since the last Forget.
  bool Contains(const std::vector<char>& pattern) {
    file_.clear();
    std::vector<char> more(1 << 16);
    while (file_.read(more.data(), static_cast<std::streamsize>(more.size())) ||
           file_.gcount() > 0) {
      seen_.insert(seen_.end(), more.begin(), more.begin() + file_.gcount());
    }
    file_.clear();
    const bool found =
        std::search(seen_.begin(), seen_.end(), pattern.begin(), pattern.end()) != seen_.end();
    // Keep a tail for a pattern split across reads.
    const auto keep = static_cast<std::ptrdiff_t>(pattern.size());
    if (static_cast<std::ptrdiff_t>(seen_.size()) > keep) seen_.erase(seen_.begin(), seen_.end() - keep);
    return found;
  }
  void Forget() {
    std::vector<char> none;
    Contains(none);
    seen_.clear();
  }

 private:
  std::ifstream file_;
  std::vector<char> seen_;
};

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

// Seeks while playing and measures the time from the command to the first sound of
// the new place in the output's file, and how long the command itself took to answer.
// `cycleMs` is how long the output takes to play one buffer: nothing means real time,
// as a sound card does (about 23 ms a buffer); 1 ms leaves mostly the transport's own
// share (the drive's read and the hand-over to the output).
void MeasureSeeks(const std::string& image, const fs::path& folder, const char* cycleMs) {
  const fs::path output = folder / "heard.raw";
  fs::remove(output);
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  if (cycleMs != nullptr) {
    ::setenv("SDL_DISKAUDIODELAY", cycleMs, 1);
  } else {
    ::unsetenv("SDL_DISKAUDIODELAY");  // SDL then paces the file like a sound card
  }
  auto device = SoundDevice(ImageDrive::Open(image, Watching::ByHand));
  Send(*device, "open cdaudio alias cd wait shareable");
  Send(*device, "set cd time format msf");
  Send(*device, "play cd from 00:02:00");
  GrowingFile heard(output);
  std::mt19937 random(7);
  std::uniform_int_distribution<std::int64_t> place(kLeadInFrames,
                                                    kLeadInFrames + kImageFrames - 10 * kFramesPerSecond);
  // Seeks at random moments, so that they fall anywhere in the output's cycle.
  std::uniform_int_distribution<int> pause(30'000, 60'000);
  std::vector<double> latencies, answers;
  for (int i = 0; i < kSeeks; ++i) {
    std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
    const FrameAddress target{place(random)};
    std::vector<char> pattern(16);
    for (std::size_t s = 0; s < 8; ++s) {
      const std::uint16_t sample = ImageSample(target.value - kLeadInFrames, s);
      pattern[2 * s] = static_cast<char>(sample & 0xff);
      pattern[2 * s + 1] = static_cast<char>(sample >> 8);
    }
    heard.Forget();
    const auto before = std::chrono::steady_clock::now();
    Send(*device, "play cd from " + FormatMsf(ToMsf(target)));
    answers.push_back(Seconds(std::chrono::steady_clock::now() - before).count() * 1000);
    while (!heard.Contains(pattern)) {
      if (std::chrono::steady_clock::now() - before > std::chrono::seconds(5)) {
        std::fprintf(stderr, "the sound of %s never came\n", FormatMsf(ToMsf(target)).c_str());
        std::exit(1);
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    latencies.push_back(Seconds(std::chrono::steady_clock::now() - before).count() * 1000);
  }
  const std::string what = std::string("seek to first new sound, output cycle ") +
                           (cycleMs != nullptr ? std::string(cycleMs) + " ms" : "23 ms");
  std::printf("%-44s median %.1f ms, 90th percentile %.1f ms, worst %.1f ms (%d seeks)\n",
              what.c_str(), Percentile(latencies, 0.5),
              Percentile(latencies, 0.9), Percentile(latencies, 1.0), kSeeks);
  std::printf("%-44s median %.3f ms, worst %.3f ms\n", "the seek command's own answer",
              Percentile(answers, 0.5), Percentile(answers, 1.0));
}

// Runs lyrabox-mci playing a minute of the image unpaced and prints its peak memory.
void MeasurePeakMemory(const char* tool, const std::string& image) {
  int input[2];
  if (::pipe(input) != 0) std::exit(1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&actions, input[1]);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  ::setenv("LYRABOX_CD", image.c_str(), 1);
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  ::setenv("SDL_DISKAUDIODELAY", "0", 1);
  char* argv[] = {const_cast<char*>(tool), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, tool, &actions, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", tool);
    std::exit(1);
  }
  ::close(input[0]);
  const std::string commands =
      "open cdaudio alias cd wait shareable\nset cd time format tmsf\n"
      "play cd from 1 to 2 wait\nplay cd from 2:0:30 to 2:0:40 wait\nclose cd\n";
  if (::write(input[1], commands.data(), commands.size()) !=
      static_cast<ssize_t>(commands.size())) {
    std::exit(1);
  }
  ::close(input[1]);
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  posix_spawn_file_actions_destroy(&actions);
  std::printf("%-44s %ld KiB (lyrabox-mci playing 70 s of the image, exit %d)\n",
              "peak memory (max RSS) while playing", usage.ru_maxrss, WEXITSTATUS(status));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PATH-TO-lyrabox-mci\n", argv[0]);
    return 2;
  }
  const fs::path folder =
      fs::temp_directory_path() / ("lyrabox-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string image = WriteImage(folder);

  MeasureCpu("image, unpaced null output (disk, /dev/null)",
             ImageDrive::Open(image, Watching::ByHand),
             "play cd from 1 to 3:0:59 wait", static_cast<double>(kImageMinutes * 60 - 1));
  MeasureCpu("demo disc, unpaced null output (disk)", std::make_shared<DemoDrive>(),
             "play cd from 1 to 1:1:0 wait", 60.0);
  MeasurePacedCpu(ImageDrive::Open(image, Watching::ByHand), 10);
  MeasureSeeks(image, folder, nullptr);
  MeasureSeeks(image, folder, "1");
  MeasurePeakMemory(argv[1], image);

  fs::remove_all(folder);
  return 0;
}
