// SPDX-License-Identifier: GPL-3.0-or-later
// The displays in words, as a screen reader is to say them.
#include "engine/spoken.h"

#include <gtest/gtest.h>

namespace lyrabox::testing {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

TEST(Spoken, TimesAsAPersonSaysThemAndTheStateOnlyAsTheModeOrTrackChanges) {
  const std::pair<seconds, const char*> kDurations[] = {
      {seconds(0), "0 seconds"},   {seconds(1), "1 second"},   {seconds(61), "1 minute 1 second"},
      {minutes(74), "74 minutes"}, {seconds(-5), "minus 5 seconds"}};
  for (const auto& [duration, words] : kDurations) EXPECT_EQ(SpokenDuration(duration), words);

  PlayerView view;
  EXPECT_EQ(SpokenPosition(view) + SpokenTotals(view) + SpokenTrackLength(view), "");
  EXPECT_EQ(SpokenState(view), "No disc");

  view.discId = "1A2B";
  view.trackCount = 1;
  view.track = 3;
  view.position = seconds(161);
  view.mode = PlayMode::Paused;
  view.names.title = "Green Bar";
  EXPECT_EQ(SpokenPosition(view), "Track 3, 2 minutes 41 seconds");
  EXPECT_EQ(SpokenState(view), "Paused, track 3: Green Bar");
  // A length the device did not give is left out.
  EXPECT_EQ(SpokenTotals(view), "1 track");
  EXPECT_EQ(SpokenTrackLength(view), "");
  const std::string state = SpokenState(view);
  view.position += seconds(1);
  EXPECT_EQ(SpokenState(view), state);
}

}  // namespace
}  // namespace lyrabox::testing
