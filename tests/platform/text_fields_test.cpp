#include "platform/text_fields.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace lyrabox
