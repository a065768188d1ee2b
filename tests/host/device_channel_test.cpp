#include "platform/linux/device_channel.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/host_test_support.h"

namespace lyrabox::host {
namespace {

using testing::ScriptedCdDevice;

class DeviceChannelTest : public ::testing::Test {
 protected:
  ScriptedCdDevice cd;
  DeviceChannel channel{cd};

  // A buffer of `size` characters filled with '#', and one guard character behind it.
  static std::string Buffer(std::size_t size) { return std::string(size + 1, '#'); }
};

// What SendString writes is the shared contract (tests/integration/device_contract_test).
TEST_F(DeviceChannelTest, EveryCommandReachesTheDeviceAsGivenAndUnknownOnesAreRefused) {
  cd.answers["play cd"] = {0, ""};
  char buffer[30] = "untouched";
  EXPECT_EQ(channel.SendString("play cd", buffer, 30, 0x1234), 0u);
  EXPECT_EQ(channel.SendString("nonsense", buffer, 30, 0), 261u);
  EXPECT_STREQ(buffer, "untouched");
  EXPECT_EQ(cd.received, (std::vector<std::string>{"play cd", "nonsense"}));
}

TEST_F(DeviceChannelTest, ErrorStringsFollowTheLengthLimit) {
  const std::string text = cdaudio::ErrorText(282);
  ASSERT_FALSE(text.empty());
  std::string buffer = Buffer(200);
  EXPECT_TRUE(channel.GetErrorString(282, buffer.data(), 200));
  EXPECT_EQ(buffer.substr(0, text.size() + 1), text + '\0');
  EXPECT_EQ(buffer.substr(text.size() + 1), std::string(200 - text.size(), '#'));

  std::string small = Buffer(10);
  EXPECT_TRUE(channel.GetErrorString(282, small.data(), 10));
  EXPECT_EQ(small, text.substr(0, 9) + '\0' + '#');

  std::string untouched = Buffer(200);
  EXPECT_FALSE(channel.GetErrorString(12345, untouched.data(), 200));
  EXPECT_EQ(untouched, Buffer(200));
  EXPECT_FALSE(channel.GetErrorString(282, untouched.data(), 0));
  EXPECT_EQ(untouched, Buffer(200));
}

}  // namespace
}  // namespace lyrabox::host
