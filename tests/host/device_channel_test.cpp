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

TEST_F(DeviceChannelTest, ReplyAndNulGoAtTheStartAndNothingElseIsTouched) {
  cd.answers["status cd position"] = {0, "03:02:41:12"};
  cd.answers["status cd number of tracks wait"] = {0, "9"};
  std::string buffer = Buffer(30);
  EXPECT_EQ(channel.SendString("status cd position", buffer.data(), 30, 0), 0u);
  EXPECT_EQ(buffer, std::string("03:02:41:12") + '\0' + std::string(19, '#'));

  // A shorter reply leaves the tail of the older one behind its NUL.
  channel.SendString("status cd number of tracks wait", buffer.data(), 30, 0);
  EXPECT_EQ(buffer, std::string("9") + '\0' + ":02:41:12" + '\0' + std::string(19, '#'));
}

TEST_F(DeviceChannelTest, LongRepliesAreCutToTheLengthWithItsNul) {
  cd.answers["status cd length wait"] = {0, "52:33:10"};
  std::string buffer = Buffer(5);
  channel.SendString("status cd length wait", buffer.data(), 5, 0);
  EXPECT_EQ(buffer, std::string("52:3") + '\0' + '#');

  std::string one = Buffer(1);
  channel.SendString("status cd length wait", one.data(), 1, 0);
  EXPECT_EQ(one, std::string(1, '\0') + '#');
}

TEST_F(DeviceChannelTest, NothingIsWrittenWithoutRoomOrWithoutAnAnswer) {
  cd.answers["open cdaudio alias cd wait shareable"] = {0, "1"};
  cd.answers["play cd"] = {0, ""};
  cd.answers["status cd position"] = {276, "leftover text of a refusal"};
  char zero[2] = {'0', '\0'};
  EXPECT_EQ(channel.SendString("open cdaudio alias cd wait shareable", zero, 0, 0x1234), 0u);
  EXPECT_STREQ(zero, "0");
  EXPECT_EQ(channel.SendString("open cdaudio alias cd wait shareable", nullptr, 0, 0), 0u);

  std::string buffer = std::string("03:02:41:12") + std::string(19, '\0');
  const std::string before = buffer;
  EXPECT_EQ(channel.SendString("play cd", buffer.data(), 30, 0), 0u);
  EXPECT_EQ(buffer, before);
  EXPECT_EQ(channel.SendString("status cd position", buffer.data(), 30, 0), 276u);
  EXPECT_EQ(buffer, before);
  EXPECT_EQ(channel.SendString("nonsense", buffer.data(), 30, 0), 261u);
  EXPECT_EQ(buffer, before);

  // Every command reached the device exactly as given, the callback making no mark.
  EXPECT_EQ(cd.received,
            (std::vector<std::string>{"open cdaudio alias cd wait shareable",
                                      "open cdaudio alias cd wait shareable", "play cd",
                                      "status cd position", "nonsense"}));
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
