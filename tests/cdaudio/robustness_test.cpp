// SPDX-License-Identifier: GPL-3.0-or-later
// Thousands of generated and mutated command strings through the parser and the
// device: every answer is a known code, a refused command has no reply, and the
// device still answers sensibly afterwards. Run under the sanitizers too.
#include <gtest/gtest.h>

#include <random>

#include "cdaudio/command_parser.h"
#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"

namespace lyrabox::cdaudio {
namespace {

const std::vector<std::string> kSeeds = {
    "open cdaudio alias cd wait shareable", "set cd time format tmsf wait",
    "status cd media present", "status cd number of tracks wait", "status cd length wait",
    "status cd length track 3", "status cd position", "status cd mode", "seek cd to 1",
    "seek cd to 4", "play cd", "play cd from 05:01:07", "play cd from 3", "pause cd",
    "stop cd wait", "set cd door open", "set cd door closed", "set cd time format milliseconds",
    "status cd position wait", "play cd from 130001", "seek cd to -2000",
    "set cd time format msf", "status cd current track", "status cd time format",
    "status cd ready", "play cd from 2 to 5", "resume cd", "close cd", "close all",
    "seek cd to start", "seek cd to end", "status cd position track 2", "record cd"};

const std::vector<std::string> kWords = {
    "open", "close", "set", "status", "play", "seek", "pause", "resume", "stop", "cd", "all",
    "cdaudio", "alias", "wait", "notify", "shareable", "from", "to", "track", "time",
    "format", "door", "open", "closed", "media", "present", "number", "of", "tracks",
    "length", "position", "mode", "ready", "current", "tmsf", "msf", "ms", "milliseconds",
    "start", "end", "0", "1", "12", "99", "255", "256", "-1", "4294967295", "4294967296",
    "1:2", "3:4:5:6", "3:4:5:6:7", "::", ":", "1:", "99:99:99", "0x10", "", "\t"};

std::string Mutate(std::string text, std::mt19937& random) {
  std::uniform_int_distribution<int> kind(0, 6);
  std::uniform_int_distribution<int> byte(0, 255);
  const auto at = [&](std::size_t size) {
    return std::uniform_int_distribution<std::size_t>(0, size)(random);
  };
  const int changes = 1 + static_cast<int>(random() % 4);
  for (int i = 0; i < changes; ++i) {
    switch (kind(random)) {
      case 0:
        if (!text.empty()) text[at(text.size() - 1)] = static_cast<char>(byte(random));
        break;
      case 1: text.insert(at(text.size()), 1, static_cast<char>(byte(random))); break;
      case 2:
        if (!text.empty()) text.erase(at(text.size() - 1), 1 + random() % 5);
        break;
      case 3: text.insert(at(text.size()), " " + kWords[random() % kWords.size()] + " "); break;
      case 4: text = text.substr(0, at(text.size())); break;
      case 5:
        if (!text.empty()) text[at(text.size() - 1)] ^= 0x20;  // flip letter case
        break;
      default: text += text; break;
    }
  }
  return text;
}

std::string Sentence(std::mt19937& random) {
  std::string text;
  const int words = static_cast<int>(random() % 8);
  for (int i = 0; i < words; ++i) {
    if (i > 0) text += ' ';
    text += kWords[random() % kWords.size()];
  }
  return text;
}

TEST(RobustnessTest, GeneratedCommandsGetKnownCodesAndLeaveTheDeviceSound) {
  auto clock = std::make_shared<ManualClock>();
  auto device = CreateDevice(std::make_shared<DemoDrive>(), clock);
  std::mt19937 random(20240611);
  std::string reply;
  ASSERT_EQ(device->Send("open cdaudio alias cd wait shareable", reply), 0u);

  int accepted = 0;
  for (int i = 0; i < 6000; ++i) {
    const std::string& seed = kSeeds[random() % kSeeds.size()];
    const std::string command = i % 4 == 0   ? Sentence(random)
                                : i % 4 == 1 ? seed
                                             : Mutate(seed, random);
    (void)ParseCommand(command);
    reply = "untouched";
    const std::uint32_t code = device->Send(command, reply);
    if (code == 0) {
      ++accepted;
      ASSERT_NE(reply, "untouched") << command;
    } else {
      ASSERT_FALSE(ErrorText(code).empty()) << "code " << code << " for \"" << command << '"';
      ASSERT_EQ(reply, "") << command;
    }
    clock->Advance(std::chrono::milliseconds(random() % 20000));

    // Whatever happened, the device can be brought back and answers in its forms.
    if (i % 50 == 0) {
      device->Send("open cdaudio alias cd", reply);
      device->Send("set cd door closed", reply);
      ASSERT_EQ(device->Send("status cd mode", reply), 0u) << "after \"" << command << '"';
      ASSERT_TRUE(reply == "stopped" || reply == "playing" || reply == "paused") << reply;
      ASSERT_EQ(device->Send("set cd time format tmsf", reply), 0u);
      ASSERT_EQ(device->Send("status cd position", reply), 0u);
      ASSERT_EQ(reply.size(), 11u) << reply;
    }
  }
  // The generator must reach the commands that do something, not only refusals.
  EXPECT_GT(accepted, 500);
}

}  // namespace
}  // namespace lyrabox::cdaudio
