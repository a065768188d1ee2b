// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/table_of_contents.h"

#include <gtest/gtest.h>

#include "test_discs.h"

namespace lyrabox::cdaudio {
namespace {

using testing::At;

TEST(TableOfContentsTest, LengthsRunToTheNextTrackAndTheLastIsOneFrameShort) {
  const TableOfContents disc = testing::ThreeTrackDisc();
  EXPECT_EQ(disc.TrackCount(), 3);
  EXPECT_EQ(disc.ReportedTrackLength(TrackNumber{1}), FrameCount{19307 - 150});
  EXPECT_EQ(disc.ReportedTrackLength(TrackNumber{2}), FrameCount{40945 - 19307});
  EXPECT_EQ(disc.ReportedTrackLength(TrackNumber{3}), FrameCount{60010 - 40945 - 1});
  EXPECT_EQ(disc.ReportedDiscLength(), FrameCount{60010 - 150 - 1});
}

TEST(TableOfContentsTest, TrackAtFindsTheTrackHoldingAnAddress) {
  const TableOfContents disc = testing::ThreeTrackDisc();
  EXPECT_EQ(disc.TrackAt(FrameAddress{0}), TrackNumber{1});
  EXPECT_EQ(disc.TrackAt(FrameAddress{150}), TrackNumber{1});
  EXPECT_EQ(disc.TrackAt(FrameAddress{19306}), TrackNumber{1});
  EXPECT_EQ(disc.TrackAt(FrameAddress{19307}), TrackNumber{2});
  EXPECT_EQ(disc.TrackAt(FrameAddress{40945}), TrackNumber{3});
  EXPECT_EQ(disc.TrackAt(disc.LastFrame()), TrackNumber{3});
}

TEST(TableOfContentsTest, NumbersThatDescribeNoDiscAreRefused) {
  EXPECT_FALSE(TableOfContents::Make(1, {}, At(10, 0, 0)));
  EXPECT_FALSE(TableOfContents::Make(1, {{At(0, 2, 0)}, {At(0, 2, 0)}}, At(10, 0, 0)));
  EXPECT_FALSE(TableOfContents::Make(1, {{At(5, 0, 0)}, {At(4, 0, 0)}}, At(10, 0, 0)));
  EXPECT_FALSE(TableOfContents::Make(1, {{At(0, 2, 0)}}, At(0, 2, 0)));
  EXPECT_FALSE(TableOfContents::Make(0, {{At(0, 2, 0)}}, At(10, 0, 0)));
  EXPECT_FALSE(TableOfContents::Make(1, {{FrameAddress{-1}}}, At(10, 0, 0)));
  EXPECT_FALSE(TableOfContents::Make(99, {{At(0, 2, 0)}, {At(1, 0, 0)}}, At(10, 0, 0)));
}

}  // namespace
}  // namespace lyrabox::cdaudio
