// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/frames.h"

#include <gtest/gtest.h>

namespace lyrabox::cdaudio {
namespace {

TEST(FramesTest, MsfSplitsAtSeventyFiveFramesAndSixtySeconds) {
  EXPECT_EQ(ToMsf(FrameCount{0}), (Msf{0, 0, 0}));
  EXPECT_EQ(ToMsf(FrameCount{74}), (Msf{0, 0, 74}));
  EXPECT_EQ(ToMsf(FrameCount{75}), (Msf{0, 1, 0}));
  EXPECT_EQ(ToMsf(FrameCount{4499}), (Msf{0, 59, 74}));
  EXPECT_EQ(ToMsf(FrameCount{4500}), (Msf{1, 0, 0}));
  EXPECT_EQ(ToMsf(FrameAddress{150}), (Msf{0, 2, 0}));
  EXPECT_EQ(FromMsf(4, 17, 32), FrameCount{19307});
  // Fields need not be normalised: 90 seconds is a minute and a half.
  EXPECT_EQ(FromMsf(0, 90, 0), FromMsf(1, 30, 0));
  for (std::int64_t frames = 0; frames < 2 * kFramesPerMinute; frames += 7) {
    const Msf msf = ToMsf(FrameCount{frames});
    EXPECT_EQ(FromMsf(msf.minute, msf.second, msf.frame), FrameCount{frames});
  }
}

TEST(FramesTest, TimeTextsHaveAtLeastTwoDigitsAFieldAndKeepLargerNumbers) {
  EXPECT_EQ(FormatMsf(Msf{3, 2, 1}), "03:02:01");
  EXPECT_EQ(FormatMsf(Msf{0, 0, 0}), "00:00:00");
  EXPECT_EQ(FormatMsf(Msf{123, 59, 74}), "123:59:74");
  EXPECT_EQ(TwoDigits(7), "07");
  EXPECT_EQ(TwoDigits(100), "100");
}

TEST(FramesTest, MillisecondPositionsCountAsTheRealDeviceDoes) {
  EXPECT_EQ(PositionToMilliseconds(FrameAddress{150}), 2001);
  EXPECT_EQ(PositionToMilliseconds(FrameAddress{0}), 1);
  EXPECT_EQ(MillisecondsToPosition(2001), FrameAddress{150});
  EXPECT_EQ(MillisecondsToPosition(0), FrameAddress{0});
  // A value between frames goes to the nearest one.
  EXPECT_EQ(MillisecondsToPosition(130000), FrameAddress{9750});
  EXPECT_EQ(MillisecondsToPosition(130007), FrameAddress{9750});
  EXPECT_EQ(MillisecondsToPosition(130008), FrameAddress{9751});
}

TEST(FramesTest, EveryFrameOfALongDiscSurvivesAMillisecondRoundTrip) {
  for (std::int64_t frame = 0; frame <= 100 * kFramesPerMinute; ++frame) {
    ASSERT_EQ(MillisecondsToPosition(PositionToMilliseconds(FrameAddress{frame})),
              FrameAddress{frame})
        << "frame " << frame;
  }
}

TEST(FramesTest, LengthsInMillisecondsAreRoundedDown) {
  EXPECT_EQ(LengthToMilliseconds(FrameCount{75}), 1000);
  EXPECT_EQ(LengthToMilliseconds(FrameCount{1}), 13);
  EXPECT_EQ(LengthToMilliseconds(FrameCount{19157}), 255426);
}

TEST(FramesTest, PlayingTimeAndFramesPlayedAgree) {
  using std::chrono::microseconds;
  EXPECT_EQ(FramesPlayedIn(microseconds{0}), FrameCount{0});
  EXPECT_EQ(FramesPlayedIn(microseconds{-5}), FrameCount{0});
  EXPECT_EQ(FramesPlayedIn(microseconds{13'333}), FrameCount{0});
  EXPECT_EQ(FramesPlayedIn(microseconds{13'334}), FrameCount{1});
  EXPECT_EQ(FramesPlayedIn(microseconds{1'000'000}), FrameCount{75});
  for (std::int64_t frames = 0; frames < 1000; ++frames) {
    const microseconds time = PlayingTime(FrameCount{frames});
    ASSERT_EQ(FramesPlayedIn(time), FrameCount{frames});
    if (frames > 0) {
      ASSERT_EQ(FramesPlayedIn(time - microseconds{1}), FrameCount{frames - 1});
    }
  }
}

}  // namespace
}  // namespace lyrabox::cdaudio
