// SPDX-License-Identifier: GPL-3.0-or-later
// The device channel: the checked send, the direct send, status queries into the
// persistent reply buffers, and the conversions their readers use.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/guard.h"
#include "engine/player.h"
#include "platform/runtime_error.h"
#include "tests/fakes/fakes.h"

namespace lyrabox {
namespace {

using testing::FakeWorld;
using testing::ProgramEnded;

const char kOutOfRangeText[] =
    "The specified parameter is out of range for the specified command.";
const char kNotReadyText[] = "The device driver is not ready.";

template <typename Operation>
ErrorNumber ErrorOf(Operation&& operation) {
  try {
    operation();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  ADD_FAILURE() << "no run-time error was raised";
  return ErrorNumber{};
}

class Channel : public ::testing::Test {
 protected:
  FakeWorld world;
  Player player{world.platform, world.window};
};

TEST_F(Channel, AcceptedCommandReturnsTrueClearsTheCodeAndShowsNothing) {
  world.device.Fail("pause cd", 282);
  EXPECT_FALSE(player.SendMci("pause cd", false));
  ASSERT_EQ(player.MciError, 282);

  for (bool reportErrors : {true, false}) {
    EXPECT_TRUE(player.SendMci("play cd", reportErrors));
    EXPECT_EQ(player.MciError, 0);
  }
  EXPECT_TRUE(world.boxes.shown.empty());

  // A checked send names the window as callback and wants no reply.
  const auto& sent = world.device.sent.back();
  EXPECT_EQ(sent.command, "play cd");
  EXPECT_EQ(sent.replyLength, 0u);
  EXPECT_EQ(sent.callback, world.window.handle);
}

TEST_F(Channel, RefusedCommandShowsTheDeviceTextOnceWhenReporting) {
  world.device.Fail("seek cd to 0", 282);
  EXPECT_FALSE(player.SendMci("seek cd to 0", true));
  EXPECT_EQ(player.MciError, 282);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].kind, testing::FakeBoxes::Kind::Message);
  EXPECT_EQ(world.boxes.shown[0].text, kOutOfRangeText);
  EXPECT_EQ(player.MciErrorText.Whole(), kOutOfRangeText);
}

TEST_F(Channel, RefusedCommandWithoutReportingOnlyKeepsTheCode) {
  world.device.Fail("close all", 263);
  EXPECT_FALSE(player.SendMci("close all", false));
  EXPECT_EQ(player.MciError, 263);
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(Channel, ErrorTextBufferKeepsItsLeftoversBehindTheNul) {
  // A long text, then a shorter one: the box ends at the NUL, the tail stays behind.
  world.device.Fail("seek cd to 0", 282);
  world.device.Fail("play cd", 276);
  world.device.Fail("frobnicate cd", 999);  // a code the device has no text for
  player.SendMci("seek cd to 0", true);
  player.SendMci("play cd", true);
  EXPECT_EQ(world.boxes.Messages().back(), kNotReadyText);
  std::string_view all(player.MciErrorText.chars.data(), 200);
  EXPECT_EQ(all.substr(std::string_view(kNotReadyText).size() + 1, 10),
            std::string_view(kOutOfRangeText).substr(std::string_view(kNotReadyText).size() + 1, 10));

  // Without a text for the code, the box shows what the buffer held before.
  player.SendMci("frobnicate cd", true);
  EXPECT_EQ(player.MciError, 999);
  EXPECT_EQ(world.boxes.Messages(),
            (std::vector<std::string>{kOutOfRangeText, kNotReadyText, kNotReadyText}));
}

TEST_F(Channel, FirstErrorWithoutTextShowsAnEmptyBox) {
  world.device.Fail("frobnicate cd", 999);
  player.SendMci("frobnicate cd", true);
  EXPECT_EQ(world.boxes.Messages(), std::vector<std::string>{""});
}

TEST_F(Channel, DirectSendsAndStatusQueriesNeverTouchTheErrorCode) {
  world.device.Fail("seek cd to 0", 282);
  world.device.Fail("play cd from 99:00:00", 282);
  world.device.Fail("status cd position", 276);
  player.SendMci("seek cd to 0", false);
  ASSERT_EQ(player.MciError, 282);

  player.DirectSend("play cd from 01:00:00");  // succeeds
  player.DirectSend("play cd from 99:00:00");  // fails
  player.StatusQuery("status cd position", player.StatusReply);
  EXPECT_EQ(player.MciError, 282);
  EXPECT_TRUE(world.boxes.shown.empty());

  // After a success the code is 0, and a failing direct send leaves it at 0.
  player.SendMci("play cd", false);
  player.DirectSend("play cd from 99:00:00");
  EXPECT_EQ(player.MciError, 0);

  // Direct sends want no reply and name no window; queries hand over the whole buffer.
  const auto& sent = world.device.sent;
  EXPECT_EQ(sent[1].replyLength, 0u);
  EXPECT_EQ(sent[1].callback, 0u);
  EXPECT_EQ(sent[3].command, "status cd position");
  EXPECT_EQ(sent[3].replyLength, 30u);
  EXPECT_EQ(sent[3].callback, 0u);
}

TEST_F(Channel, FailedQueryReadsTheOldReplyAgainAndBuffersAreSeparate) {
  world.device.On("status cd position", "03:02:41:12");
  world.device.Fail("status cd position", 276);
  player.StatusQuery("status cd position", player.StatusReply);
  player.StatusQuery("status cd position", player.StatusReply);
  EXPECT_EQ(player.StatusReply.Whole(), "03:02:41:12");

  // The bookmark save's buffer never sees the poll's replies.
  EXPECT_EQ(player.BookmarkReply.Whole(), "");
  EXPECT_EQ(player.BookmarkReply.Slice(1, 30), std::string(30, '\0'));
}

TEST(SliceConversions, NumbersEndAtTheFirstNul) {
  EXPECT_EQ(SliceToInt16("05"), 5);
  EXPECT_EQ(SliceToInt16(std::string_view("9\0", 2)), 9);
  EXPECT_EQ(SliceToInt16("12"), 12);
  EXPECT_EQ(SliceToInt16(std::string_view("7\0:4", 4)), 7);
}

TEST(SliceConversions, SlicesWithoutANumberAreTypeMismatch) {
  EXPECT_EQ(ErrorOf([] { SliceToInt16(std::string_view("\0\0", 2)); }), ErrorNumber::TypeMismatch);
  EXPECT_EQ(ErrorOf([] { SliceToInt16("pl"); }), ErrorNumber::TypeMismatch);
  EXPECT_EQ(ErrorOf([] { SliceToInt16(""); }), ErrorNumber::TypeMismatch);
  EXPECT_EQ(ErrorOf([] { SliceToInt16(":0"); }), ErrorNumber::TypeMismatch);
}

TEST(SliceConversions, TruthFromWordsOrNumbers) {
  EXPECT_TRUE(TextToTruth("true"));
  EXPECT_TRUE(TextToTruth("TRUE"));
  EXPECT_FALSE(TextToTruth("False"));
  EXPECT_TRUE(TextToTruth("-1"));
  EXPECT_FALSE(TextToTruth("0"));
  EXPECT_EQ(ErrorOf([] { TextToTruth(""); }), ErrorNumber::TypeMismatch);
  EXPECT_EQ(ErrorOf([] { TextToTruth("yes"); }), ErrorNumber::TypeMismatch);
  EXPECT_EQ(ErrorOf([] { TextToTruth("truer"); }), ErrorNumber::TypeMismatch);
}

TEST(NumberText, NumbersBeyondADoubleAreHugeOrZero) {
  EXPECT_EQ(ReadNumber("1e400"), HUGE_VAL);
  EXPECT_EQ(ReadNumber("-1e400"), -HUGE_VAL);
  // Far too small to tell from zero is zero, not infinity.
  EXPECT_EQ(ReadNumber("1e-400"), 0.0);
  EXPECT_EQ(ReadNumber("-0.00001e-400"), 0.0);
  EXPECT_EQ(ReadNumber("100000e-400"), 0.0);
}

// The position text of every command that plays from a bookmark.
TEST(NumberText, PositionTextPadsEachNumberButNeverCuts) {
  EXPECT_EQ(TwoDigits(0), "00");
  EXPECT_EQ(TmsfText(7, 5, 9), "07:05:09");
  EXPECT_EQ(TmsfText(100, 2, 3), "100:02:03");
  EXPECT_EQ(TmsfText(12, 75, 100), "12:75:100");
  EXPECT_EQ(TmsfText(1, -4, 0), "01:-04:00");
}

TEST(Guard, RunTimeErrorIsShownTitledAndEndsTheProgram) {
  const std::pair<void (*)(), const char*> failures[] = {
      {[] { SliceToInt16("pl"); }, "Run-time error '13':\n\nType mismatch"},
      {[] { throw std::bad_alloc(); }, "Run-time error '7':\n\nOut of memory"},
  };
  for (const auto& [fail, box] : failures) {
    FakeWorld world;
    bool after = false;
    EXPECT_THROW(RunGuarded(world.platform,
                            [&] {
                              fail();
                              after = true;
                            }),
                 ProgramEnded);
    EXPECT_FALSE(after);
    EXPECT_EQ(world.process.exitStatus, platform::ExitStatus::Failure);
    ASSERT_EQ(world.boxes.Messages().size(), 1u);
    EXPECT_EQ(world.boxes.Messages()[0], box);
  }
}

}  // namespace
}  // namespace lyrabox
