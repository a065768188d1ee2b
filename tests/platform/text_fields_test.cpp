// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/text_fields.h"

#include <gtest/gtest.h>

#include <string>

#include "base/ascii.h"
#include "platform/runtime_error.h"

namespace lyrabox {
namespace {

TEST(FieldReader, NumbersSplitAtCommasAndLineEnds) {
  FieldReader lines("3\r\n12\r\n42\r\n");
  EXPECT_EQ(lines.ReadInt16(), 3);
  EXPECT_EQ(lines.ReadInt16(), 12);
  EXPECT_EQ(lines.ReadInt16(), 42);
  EXPECT_TRUE(lines.AtEnd());

  FieldReader oneLine("3,12,42");
  EXPECT_EQ(oneLine.ReadInt16(), 3);
  EXPECT_EQ(oneLine.ReadInt16(), 12);
  EXPECT_EQ(oneLine.ReadInt16(), 42);
}

TEST(FieldReader, NumberFieldsSkipBlanksAndReadNonNumbersAsZero) {
  FieldReader reader("  7\nx\n-4\n");
  EXPECT_EQ(reader.ReadInt16(), 7);
  EXPECT_EQ(reader.ReadInt16(), 0);
  EXPECT_EQ(reader.ReadInt16(), -4);
}

TEST(FieldReader, RunningOutOfFieldsIsInputPastEndOfFile) {
  FieldReader reader("3\r\n12\r\n");
  reader.ReadInt16();
  reader.ReadInt16();
  try {
    reader.ReadInt16();
    FAIL() << "a third field was read from two";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), ErrorNumber::InputPastEndOfFile);
  }
  EXPECT_THROW(FieldReader("").ReadText(), RuntimeError);
  EXPECT_THROW(FieldReader(" \r\n").ReadText(), RuntimeError);
}

TEST(FieldReader, NumberTooLargeForSixteenBitsIsOverflow) {
  FieldReader reader("40000\n");
  try {
    reader.ReadInt16();
    FAIL();
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), ErrorNumber::Overflow);
  }
  EXPECT_EQ(FieldReader("-32768").ReadInt16(), -32768);
}

TEST(FieldReader, TextFieldsQuotedOrUpToTheSeparator) {
  EXPECT_EQ(FieldReader("e:\\\r\n").ReadText(), "e:\\");
  EXPECT_EQ(FieldReader("\"e:\\\"\r\n").ReadText(), "e:\\");
  EXPECT_EQ(FieldReader("f:\\,x").ReadText(), "f:\\");
  EXPECT_EQ(FieldReader("   g:\\").ReadText(), "g:\\");
  EXPECT_EQ(FieldReader("\"a, b\",c").ReadText(), "a, b");
}

TEST(NumberRecord, PlainDecimalEndedByCrLf) {
  EXPECT_EQ(NumberRecord(3) + NumberRecord(12) + NumberRecord(42), "3\r\n12\r\n42\r\n");
  EXPECT_EQ(NumberRecord(-1), "-1\r\n");
}

// The one wildcard match of file names, which both hosts and the fakes use.
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
