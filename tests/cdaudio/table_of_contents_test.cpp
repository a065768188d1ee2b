#include "cdaudio/table_of_contents.h"

#include <gtest/gtest.h>

#include "test_discs.h"

namespace lyrabox::cdaudio {
namespace {

using testing::At;

TEST(VolumeSerialTest, ThreeTrackDiscSumsThePackedTrackStarts) {
  // 0x000200 + 0x041120 + 0x090546
  EXPECT_EQ(VolumeSerial(testing::ThreeTrackDisc()), 0x000D1866u);
}

TEST(VolumeSerialTest, TwoTrackDiscAddsItsLengthInFrames) {
  // 0x200 + 0x41120 + (40945 - 150)
  EXPECT_EQ(VolumeSerial(testing::TwoTrackDisc()), 0x0004B27Bu);
}

TEST(VolumeSerialTest, OneTrackDiscAddsItsLengthAndTheSumWrapsAt32Bits) {
  auto single = TableOfContents::Make(1, {{At(0, 2, 0)}}, At(70, 0, 0));
  ASSERT_TRUE(single);
  EXPECT_EQ(VolumeSerial(*single), 0x200u + (70u * 4500u - 150u));

  std::vector<TocTrack> many;
  for (int n = 0; n < 99; ++n) many.push_back({At(n, 59, 74)});
  auto full = TableOfContents::Make(1, many, At(99, 30, 0));
  ASSERT_TRUE(full);
  std::uint64_t sum = 0;
  for (int n = 0; n < 99; ++n) sum += (std::uint64_t(n) << 16) + (59u << 8) + 74u;
  EXPECT_EQ(VolumeSerial(*full), static_cast<std::uint32_t>(sum));
}

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

TEST(TrackFileNamesTest, OneFilePerTrackOfAPureAudioDiscAndNoneForOthers) {
  EXPECT_EQ(TrackFileNames(testing::ThreeTrackDisc()),
            (std::vector<std::string>{"Track01.cda", "Track02.cda", "Track03.cda"}));

  auto mixed = TableOfContents::Make(1, {{At(0, 2, 0), true}, {At(4, 0, 0), false}},
                                     At(10, 0, 0));
  ASSERT_TRUE(mixed);
  EXPECT_TRUE(TrackFileNames(*mixed).empty());

  auto later = TableOfContents::Make(9, {{At(0, 2, 0)}, {At(4, 0, 0)}}, At(10, 0, 0));
  ASSERT_TRUE(later);
  EXPECT_EQ(TrackFileNames(*later), (std::vector<std::string>{"Track09.cda", "Track10.cda"}));
}

}  // namespace
}  // namespace lyrabox::cdaudio
