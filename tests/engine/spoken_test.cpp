// The displays in words, as a screen reader is to say them.
#include "engine/spoken.h"

#include <gtest/gtest.h>

namespace lyrabox::testing {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

TEST(Spoken, DurationsAsAPersonSaysThem) {
  const struct {
    seconds duration;
    const char* words;
  } kCases[] = {{seconds(0), "0 seconds"},          {seconds(1), "1 second"},
                {seconds(5), "5 seconds"},          {seconds(60), "1 minute"},
                {seconds(61), "1 minute 1 second"}, {seconds(161), "2 minutes 41 seconds"},
                {minutes(74), "74 minutes"},        {seconds(-5), "minus 5 seconds"}};
  for (const auto& c : kCases) EXPECT_EQ(SpokenDuration(c.duration), c.words);
}

TEST(Spoken, DisplaysModeAndTrackFromTheView) {
  PlayerView view;
  EXPECT_EQ(SpokenPosition(view), "");
  EXPECT_EQ(SpokenTotals(view), "");
  EXPECT_EQ(SpokenTrackLength(view), "");
  EXPECT_EQ(SpokenState(view), "No disc");

  view.discId = "1A2B";
  view.trackCount = 12;
  view.discLength = minutes(53) + seconds(40) + Frames(63);
  view.track = 3;
  view.position = seconds(161);
  view.trackLength = minutes(3) + seconds(42) + Frames(17);
  view.mode = PlayMode::Playing;
  EXPECT_EQ(SpokenPosition(view), "Track 3, 2 minutes 41 seconds");
  EXPECT_EQ(SpokenTotals(view), "12 tracks, 53 minutes 40 seconds");
  EXPECT_EQ(SpokenTrackLength(view), "Track length 3 minutes 42 seconds");
  EXPECT_EQ(SpokenState(view), "Playing, track 3");

  view.mode = PlayMode::Paused;
  view.names.title = "Green Bar";
  view.names.performer = "The Fixtures";
  EXPECT_EQ(SpokenState(view), "Paused, track 3: Green Bar, The Fixtures");
  // The position runs on without a word of the state changing.
  const std::string state = SpokenState(view);
  view.position += seconds(1);
  EXPECT_EQ(SpokenState(view), state);

  // A device that gave no readable length: the count alone; a single track.
  view.discLength = Frames(0);
  view.trackCount = 1;
  view.trackLength = Frames(0);
  EXPECT_EQ(SpokenTotals(view), "1 track");
  EXPECT_EQ(SpokenTrackLength(view), "");
}

}  // namespace
}  // namespace lyrabox::testing
