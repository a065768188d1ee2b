// The one wildcard match of file names, shared by both hosts and the fakes.
#include "base/ascii.h"

#include <gtest/gtest.h>

#include <string>

namespace lyrabox {
namespace {

TEST(NameMatching, PatternsIgnoreCaseAndStarTakesAnyRun) {
  EXPECT_TRUE(ascii::MatchesIgnoringCase("Track01.cda", "*.CDA"));
  EXPECT_TRUE(ascii::MatchesIgnoringCase("TRACK01.CDA", "track*.cda"));
  EXPECT_TRUE(ascii::MatchesIgnoringCase("x.cda", "*x*.cda"));
  EXPECT_TRUE(ascii::MatchesIgnoringCase("", "*"));
  EXPECT_TRUE(ascii::MatchesIgnoringCase("a.cda.cda", "*.cda"));
  EXPECT_FALSE(ascii::MatchesIgnoringCase("Track01.cdab", "*.CDA"));
  EXPECT_FALSE(ascii::MatchesIgnoringCase("Track01.cd", "*.CDA"));
  EXPECT_FALSE(ascii::MatchesIgnoringCase("lbx.ini", "lbx.in"));
  // Many stars against a long name must not take exponential time.
  EXPECT_FALSE(ascii::MatchesIgnoringCase(std::string(200, 'a'), "*a*a*a*a*a*a*a*a*a*a*b"));
}

}  // namespace
}  // namespace lyrabox
