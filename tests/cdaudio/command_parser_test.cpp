// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/command_parser.h"

#include <gtest/gtest.h>

namespace lyrabox::cdaudio {
namespace {

PositionText Fields(std::initializer_list<std::uint8_t> fields) {
  PositionText text;
  text.fieldCount = static_cast<int>(fields.size());
  std::copy(fields.begin(), fields.end(), text.fields.begin());
  return text;
}

PositionText Number(std::uint32_t number) {
  PositionText text;
  text.number = number;
  return text;
}

TEST(PositionTextTest, ReadsNumbersAndFieldsAsTheRealDeviceDoes) {
  EXPECT_EQ(ParsePositionText("3"), Number(3));
  EXPECT_EQ(ParsePositionText("0"), Number(0));
  EXPECT_EQ(ParsePositionText("4294967295"), Number(4294967295u));
  EXPECT_EQ(ParsePositionText("-1"), Number(4294967295u));
  EXPECT_EQ(ParsePositionText("-2000"), Number(4294965296u));
  EXPECT_EQ(ParsePositionText("03:1:30"), Fields({3, 1, 30}));
  EXPECT_EQ(ParsePositionText("255:0:0:255"), Fields({255, 0, 0, 255}));
  EXPECT_EQ(ParsePositionText("05:01:07"), Fields({5, 1, 7}));
}

TEST(PositionTextTest, RefusesWhatIsNoPosition) {
  for (const char* word : {"", "-", "+1", "0x1f", "1e3", "12a", "4294967296", "-4294967296",
                           "1:256", "256:1", "1:2:3:4:5", ":1", "1:", "1::2", "-1:2", "1:-2",
                           " 1", "1.5", "00000000000000000000004294967296"}) {
    EXPECT_FALSE(ParsePositionText(word)) << '"' << word << '"';
  }
  EXPECT_EQ(ParsePositionText("0000000000000000000003"), Number(3));
}

TEST(CommandParserTest, ReadsVerbDeviceFlagsAndItems) {
  ParseResult open = ParseCommand("open cdaudio alias CD wait shareable");
  EXPECT_EQ(open.error, kSuccess);
  EXPECT_EQ(open.command.verb, Verb::Open);
  EXPECT_EQ(open.command.device, "cdaudio");
  EXPECT_EQ(open.command.alias, "cd");
  EXPECT_TRUE(open.command.wait);
  EXPECT_TRUE(open.command.shareable);
  EXPECT_FALSE(open.command.notify);

  ParseResult status = ParseCommand("status CD length track 12 notify");
  EXPECT_EQ(status.error, kSuccess);
  EXPECT_EQ(status.command.device, "cd");
  EXPECT_EQ(status.command.item, StatusItem::Length);
  EXPECT_EQ(status.command.track, 12u);
  EXPECT_TRUE(status.command.notify);

  ParseResult play = ParseCommand("play cd to 3 from 1:2:3");
  EXPECT_EQ(play.error, kSuccess);
  EXPECT_EQ(play.command.from, Fields({1, 2, 3}));
  EXPECT_EQ(play.command.to, Number(3));

  ParseResult set = ParseCommand("set cd time format ms door closed");
  EXPECT_EQ(set.error, kSuccess);
  EXPECT_EQ(set.command.timeFormat, TimeFormat::Milliseconds);
  EXPECT_EQ(set.command.door, DoorMove::Close);

  EXPECT_EQ(ParseCommand("seek cd to start").command.seekPlace, SeekPlace::Start);
  EXPECT_EQ(ParseCommand("seek cd to end").command.seekPlace, SeekPlace::End);
}

TEST(CommandParserTest, AFaultAfterTheDeviceNameKeepsTheNameForTheDeviceToCheckFirst) {
  ParseResult result = ParseCommand("status nowhere volume");
  EXPECT_EQ(result.error, kUnrecognizedKeyword);
  EXPECT_TRUE(result.deviceNamed);
  EXPECT_EQ(result.command.device, "nowhere");

  EXPECT_FALSE(ParseCommand("status").deviceNamed);
  EXPECT_FALSE(ParseCommand("dance cd").deviceNamed);
  EXPECT_TRUE(ParseCommand("record cd").deviceNamed);
  EXPECT_EQ(ParseCommand("record cd").command.verb, Verb::Unsupported);
}

}  // namespace
}  // namespace lyrabox::cdaudio
