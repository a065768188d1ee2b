// SPDX-License-Identifier: GPL-3.0-or-later
// Fast forward and rewind, next and previous track, and the "Fast forward speed"
// entry.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/runtime_error.h"
#include "tests/engine/scanned_disc.h"

namespace lyrabox {
namespace {

using testing::Lines;
using testing::ScannedDisc;

constexpr char kMilliseconds[] = "set cd time format milliseconds";
constexpr char kPositionWait[] = "status cd position wait";
constexpr char kTmsf[] = "set cd time format tmsf";

class Move : public ScannedDisc {
 protected:
  // Runs fast forward (+1) or rewind (-1) from `positionMs` and returns the one move
  // command it sent, after checking the steps around it.
  std::string MoveFrom(const std::string& positionMs, int direction) {
    world.device.ClearLog();
    world.device.Set(kPositionWait, positionMs);
    direction > 0 ? player.FastForward() : player.Rewind();
    bool refreshed = false;
    Lines sent = SentBeforeRefresh(&refreshed);
    EXPECT_TRUE(refreshed);
    if (sent.size() != 4u || sent[0] != kMilliseconds || sent[1] != kPositionWait ||
        sent[3] != kTmsf) {
      ADD_FAILURE() << "unexpected steps";
      return "";
    }
    return sent[2];
  }
};

TEST_F(Move, StepsByTheSpeedPlayingOrStopped) {
  player.state.Playing = true;
  world.device.Set("status cd mode", "playing");
  EXPECT_EQ(MoveFrom("125000", +1), "play cd from 130000");
  EXPECT_EQ(MoveFrom("125000", -1), "play cd from 120000");
  EXPECT_EQ(player.state.MciCmd, "play cd from 120000");

  world.device.Set("status cd mode", "stopped");
  player.state.Playing = false;
  EXPECT_EQ(MoveFrom("3000", -1), "seek cd to -2000");
  EXPECT_EQ(MoveFrom("3000", +1), "seek cd to 8000");
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(Move, WaysOfSendingAndTheBuffer) {
  MoveFrom("125000", +1);
  EXPECT_TRUE(Checked(kMilliseconds));
  EXPECT_TRUE(Checked(kTmsf));
  EXPECT_TRUE(Direct("seek cd to 130000"));
  const auto& query = world.device.sent[1];
  EXPECT_EQ(query.replyLength, 40u);
  EXPECT_EQ(query.callback, 0u);
}

TEST_F(Move, SpeedZeroAndNegativeSpeeds) {
  player.state.FFSpeed = 0;
  EXPECT_EQ(MoveFrom("125000", +1), "seek cd to 125000");
  EXPECT_EQ(MoveFrom("125000", -1), "seek cd to 125000");
  player.state.FFSpeed = -5;
  EXPECT_EQ(MoveFrom("125000", +1), "seek cd to 120000");
  EXPECT_EQ(MoveFrom("125000", -1), "seek cd to 130000");
}

TEST_F(Move, HugeStepsAreHeldToTheThirtyTwoBitRange) {
  player.state.FFSpeed = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(MoveFrom("125000", +1), "seek cd to 2147483647");
  EXPECT_EQ(MoveFrom("125000", -1), "seek cd to -2147483648");
  player.state.FFSpeed = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(MoveFrom("125000", +1), "seek cd to -2147483648");
  EXPECT_EQ(MoveFrom("125000", -1), "seek cd to 2147483647");
  // Just below the limit the step itself fits, and the sum would not.
  player.state.FFSpeed = 2147483;
  EXPECT_EQ(MoveFrom("1000", +1), "seek cd to 2147483647");
  EXPECT_EQ(MoveFrom("2000000", -1), "seek cd to -2145483000");
  // A position reply that is itself beyond 32 bits is held the same way.
  player.state.FFSpeed = 5;
  EXPECT_EQ(MoveFrom("3000000000", +1), "seek cd to 2147483647");
  EXPECT_EQ(MoveFrom("-3000000000", -1), "seek cd to -2147483648");
  EXPECT_FALSE(world.process.ended);
}

TEST_F(Move, RefusedTargetIsSilentAndTheFormatGoesBack) {
  player.state.Playing = true;
  world.device.Set("play cd from 4005000", "", 282);
  EXPECT_EQ(MoveFrom("4000000", +1), "play cd from 4005000");
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_EQ(player.MciError, 0);
}

TEST_F(Move, RefusedPositionMovesNothingAndTheFormatGoesBack) {
  // The disc taken out while fast forward reads the position: no move, no box, no
  // poll; the next tick shows what the drive holds.
  world.device.Set(kPositionWait, "", 276);
  player.state.CurTrack = 7;
  for (bool forward : {true, false}) {
    world.device.ClearLog();
    EXPECT_NO_THROW(forward ? player.FastForward() : player.Rewind());
    EXPECT_EQ(world.device.Commands(), (Lines{kMilliseconds, kPositionWait, kTmsf}));
  }
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_EQ(player.state.CurTrack, 7);
}

TEST_F(Move, PositionThatIsNoNumberEndsTheCommandThere) {
  // An answer the device gave, empty or not a number; each run starts with an empty
  // buffer, so an empty answer never moves from the previous run's reply.
  MoveFrom("125000", +1);
  for (const char* answer : {"", "abc"}) {
    world.device.ClearLog();
    world.device.Set(kPositionWait, answer);
    try {
      player.FastForward();
      ADD_FAILURE() << "\"" << answer << "\" was read as a number";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(error.number(), ErrorNumber::TypeMismatch);
    }
    EXPECT_EQ(world.device.Commands(), (Lines{kMilliseconds, kPositionWait}));
  }
}

class Skip : public ScannedDisc {
 protected:
  // Runs next (+1) or previous (-1) track from the given state; returns what was sent
  // before the poll.
  Lines SkipFrom(int direction, int track, int count, bool playing, int minute = 0,
                 int second = 0) {
    world.device.ClearLog();
    player.state.CurTrack = static_cast<std::int16_t>(track);
    player.state.TrackCount = static_cast<std::int16_t>(count);
    player.state.CurMin = static_cast<std::int16_t>(minute);
    player.state.CurSec = static_cast<std::int16_t>(second);
    player.state.Playing = playing;
    world.device.Set("status cd mode", playing ? "playing" : "stopped");
    direction > 0 ? player.NextTrack() : player.PreviousTrack();
    bool refreshed = false;
    Lines sent = SentBeforeRefresh(&refreshed);
    EXPECT_TRUE(refreshed);
    return sent;
  }
};

TEST_F(Skip, NextTrackKeepsPlayingOrStopped) {
  EXPECT_EQ(SkipFrom(+1, 3, 10, true), Lines{"play cd from 4"});
  EXPECT_TRUE(Checked("play cd from 4"));
  EXPECT_EQ(player.state.MciCmd, "play cd from 4");
  EXPECT_EQ(SkipFrom(+1, 3, 10, false), Lines{"seek cd to 4"});
  EXPECT_TRUE(Checked("seek cd to 4"));
}

TEST_F(Skip, NextTrackFromTheLastSeeksTrackOneEvenWhilePlaying) {
  player.state.MciCmd = "earlier";
  EXPECT_EQ(SkipFrom(+1, 10, 10, true), Lines{"seek cd to 1"});
  EXPECT_TRUE(Checked("seek cd to 1"));
  EXPECT_EQ(player.state.MciCmd, "earlier");
  EXPECT_EQ(SkipFrom(+1, 11, 10, true), Lines{"seek cd to 1"}) << "beyond the last";
  EXPECT_EQ(SkipFrom(+1, 0, 0, false), Lines{"seek cd to 1"}) << "nothing scanned";
  // The comparison is signed.
  EXPECT_EQ(SkipFrom(+1, -1, 10, false), Lines{"seek cd to 0"});
}

TEST_F(Skip, PreviousTrackGoesBackOnlyFromTheFirstSecond) {
  EXPECT_EQ(SkipFrom(-1, 4, 12, false, 0, 0), Lines{"seek cd to 3"});
  EXPECT_EQ(SkipFrom(-1, 4, 12, false, 0, 1), Lines{"seek cd to 4"});
  EXPECT_EQ(SkipFrom(-1, 4, 12, false, 1, 0), Lines{"seek cd to 4"});
  EXPECT_EQ(SkipFrom(-1, 4, 12, true, 2, 30), Lines{"play cd from 4"});
  EXPECT_EQ(player.state.MciCmd, "play cd from 4");
}

TEST_F(Skip, PreviousTrackFromTrackOneWrapsToTheLast) {
  EXPECT_EQ(SkipFrom(-1, 1, 12, true), Lines{"play cd from 12"});
  EXPECT_EQ(SkipFrom(-1, 1, 12, false), Lines{"seek cd to 12"});
}

TEST_F(Skip, NothingScannedIsReportedByTheDevice) {
  world.device.Set("seek cd to 0", "", 282);
  EXPECT_EQ(SkipFrom(-1, 0, 0, false), Lines{"seek cd to 0"});
  EXPECT_EQ(world.boxes.Messages(),
            Lines{"The specified parameter is out of range for the specified command."});
  EXPECT_EQ(player.MciError, 282);
}

class SpeedEntry : public ScannedDisc {
 protected:
  std::int32_t Enter(const char* text, std::int32_t before = 5) {
    player.state.FFSpeed = before;
    world.boxes.inputs = {text};
    player.FastForwardStep();
    return player.state.FFSpeed;
  }
};

TEST_F(SpeedEntry, AsksWithTheCurrentStepAndSendsNothing) {
  world.boxes.inputs = {"12"};
  player.FastForwardStep();
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  const auto& box = world.boxes.shown[0];
  EXPECT_EQ(box.kind, testing::FakeBoxes::Kind::Input);
  EXPECT_EQ(box.text, "Enter the new speed in seconds");
  EXPECT_EQ(box.title, "Fast Forward Speed");
  EXPECT_EQ(box.defaultText, "5");
  EXPECT_EQ(player.state.FFSpeed, 12);
  EXPECT_TRUE(world.device.sent.empty());
  EXPECT_TRUE(world.window.log.empty());

  player.FastForwardStep();  // cancelled
  EXPECT_EQ(world.boxes.shown[1].defaultText, "12");
  EXPECT_EQ(player.state.FFSpeed, 12);
}

TEST_F(SpeedEntry, NumbersAreTakenRoundedHalfToEven) {
  EXPECT_EQ(Enter("12"), 12);
  EXPECT_EQ(Enter("2.5"), 2);
  EXPECT_EQ(Enter("3.5"), 4);
  EXPECT_EQ(Enter("2.51"), 3);
  EXPECT_EQ(Enter("-5"), -5);
  EXPECT_EQ(Enter("0"), 0);
  EXPECT_EQ(Enter(" 7 "), 7);
  EXPECT_EQ(Enter("1e3"), 1000);
  EXPECT_EQ(Enter("+8"), 8);
  EXPECT_EQ(Enter("2147483647"), 2147483647);
  EXPECT_EQ(Enter("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST_F(SpeedEntry, AnythingElseKeepsTheOldStep) {
  for (const char* text : {"", "abc", "5s", "1,5", "1.2.3", " ", "2147483648", "-2147483649",
                           "1e10", "1e400"}) {
    EXPECT_EQ(Enter(text, 9), 9) << '"' << text << '"';
  }
  EXPECT_TRUE(world.boxes.Messages().empty());
  EXPECT_FALSE(world.process.ended);
}

}  // namespace
}  // namespace lyrabox
