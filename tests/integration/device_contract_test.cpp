// SPDX-License-Identifier: GPL-3.0-or-later
// The contract of DeviceCommands, held against both implementations the logic meets:
// the fake device of the logic's tests and the channel over our own CD audio device,
// which both hosts use. A fake that wrote what the real channel does not would let
// the logic's tests pass on behaviour no user ever gets.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/audio_cd/device_channel.h"
#include "tests/fakes/fakes.h"
#include "tests/host/host_test_support.h"

namespace lyrabox::testing {
namespace {

// One implementation, scripted to answer one command with a code and a reply text,
// and the error text it has for code 282.
struct Channel {
  std::function<void(const std::string& command, platform::MciResult code,
                     const std::string& reply)>
      script;
  platform::DeviceCommands* device = nullptr;
  std::string text282;
  std::shared_ptr<void> keep;
};

Channel Fake() {
  auto fake = std::make_shared<FakeDevice>();
  return {[fake](const std::string& command, platform::MciResult code,
                 const std::string& reply) { fake->Set(command, reply, code); },
          fake.get(), fake->errorTexts.at(282), fake};
}

Channel CoreChannel() {
  struct Parts {
    host::testing::ScriptedCdDevice cd;
    platform::AudioCdChannel channel{cd};
  };
  auto parts = std::make_shared<Parts>();
  return {[parts](const std::string& command, platform::MciResult code,
                  const std::string& reply) { parts->cd.answers[command] = {code, reply}; },
          &parts->channel, cdaudio::ErrorText(282), parts};
}

struct Case {
  const char* rule;
  platform::MciResult code;
  std::string reply;
  std::uint32_t length;  // the reply length passed
  std::string before;    // the buffer before, one guard character beyond `length`
  std::string after;
};

const std::string kHashes30(31, '#');
const Case kCases[] = {
    {"reply and NUL at the start, nothing else touched", 0, "03:02:41:12", 30, kHashes30,
     std::string("03:02:41:12") + '\0' + std::string(19, '#')},
    {"a shorter reply leaves the older tail behind its NUL", 0, "9", 30,
     std::string("03:02:41:12") + '\0' + std::string(19, '#'),
     std::string("9") + '\0' + ":02:41:12" + '\0' + std::string(19, '#')},
    {"a long reply is cut to the length with its NUL", 0, "52:33:10", 5, "######",
     std::string("52:3") + '\0' + '#'},
    {"a length of one holds the NUL alone", 0, "52:33:10", 1, "##", std::string(1, '\0') + '#'},
    {"a length of zero writes nothing", 0, "1", 0, "0#", "0#"},
    {"an empty answer writes nothing, not even a NUL", 0, "", 30, kHashes30, kHashes30},
    {"a refusal writes nothing, whatever text came with it", 276, "leftover", 30, kHashes30,
     kHashes30},
};

class DeviceContract : public ::testing::TestWithParam<Channel (*)()> {};

TEST_P(DeviceContract, SendStringWritesOnlyWhatTheContractAllows) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.rule);
    Channel channel = GetParam()();
    channel.script("status cd position", c.code, c.reply);
    std::string buffer = c.before;
    EXPECT_EQ(channel.device->SendString("status cd position", buffer.data(), c.length, 0x1234),
              c.code);
    EXPECT_EQ(buffer, c.after);
  }
  // A null buffer is allowed with a length of zero.
  Channel channel = GetParam()();
  channel.script("play cd", 0, "");
  EXPECT_EQ(channel.device->SendString("play cd", nullptr, 0, 0), 0u);
}

TEST_P(DeviceContract, ErrorStringsFollowTheLengthLimit) {
  Channel channel = GetParam()();
  const std::string& text = channel.text282;
  ASSERT_GT(text.size(), 9u);
  std::string buffer(201, '#');
  EXPECT_TRUE(channel.device->GetErrorString(282, buffer.data(), 200));
  EXPECT_EQ(buffer, text + '\0' + std::string(200 - text.size(), '#'));

  std::string small(11, '#');
  EXPECT_TRUE(channel.device->GetErrorString(282, small.data(), 10));
  EXPECT_EQ(small, text.substr(0, 9) + '\0' + '#');

  // A code without a text, or no room at all: false, and nothing written.
  std::string untouched(201, '#');
  EXPECT_FALSE(channel.device->GetErrorString(12345, untouched.data(), 200));
  EXPECT_FALSE(channel.device->GetErrorString(282, untouched.data(), 0));
  EXPECT_EQ(untouched, std::string(201, '#'));
}

INSTANTIATE_TEST_SUITE_P(Implementations, DeviceContract,
                         ::testing::Values(&Fake, &CoreChannel),
                         [](const auto& info) {
                           return std::string(info.index == 0 ? "FakeDevice" : "CoreChannel");
                         });

}  // namespace
}  // namespace lyrabox::testing
