// SPDX-License-Identifier: GPL-3.0-or-later
// The disc id and the bookmark file's name and format, byte for byte.
#include <gtest/gtest.h>

#include "bookmarks/bookmark_file.h"
#include "bookmarks/disc_id.h"
#include "tests/fakes/fakes.h"

namespace lyrabox {
namespace {

TEST(DiscId, UpperCaseHexadecimalWithoutLeadingZeros) {
  testing::FakeDisks disks;
  disks.SetSerial("d:\\", 0x0000ABCD);
  disks.SetSerial("e:\\", 0xFFFFFFFF);
  disks.SetSerial("f:\\", 0x0A1B2C3D);
  disks.SetSerial("g:\\", 0);
  EXPECT_EQ(GetDiscId(disks, "d:\\"), "ABCD");
  EXPECT_EQ(GetDiscId(disks, "e:\\"), "FFFFFFFF");
  EXPECT_EQ(GetDiscId(disks, "f:\\"), "A1B2C3D");
  EXPECT_EQ(GetDiscId(disks, "g:\\"), "0");
  EXPECT_EQ(GetDiscId(disks, "h:\\"), "0") << "an unreadable serial number";
}

TEST(BookmarkFile, PathIsTheDataDirectoryAndTheDiscId) {
  EXPECT_EQ(BookmarkPath("A1B2C3D"), "c:\\lyrabox\\A1B2C3D");
  EXPECT_EQ(BookmarkPath("0"), "c:\\lyrabox\\0");
}

TEST(BookmarkFile, RecordsArePlainNumbersEndedByCrLf) {
  std::string content = FormatBookmark({3, 12, 42});
  EXPECT_EQ(content, "3\r\n12\r\n42\r\n");
  EXPECT_EQ(content.size(), 11u);
  EXPECT_EQ(FormatBookmark({5, 0, 0}), "5\r\n0\r\n0\r\n");
  EXPECT_EQ(FormatBookmark({-1, 100, 7}), "-1\r\n100\r\n7\r\n");
}

TEST(BookmarkFile, ReadsFieldsSplitByLinesOrCommas) {
  const Bookmark expected{3, 12, 42};
  EXPECT_EQ(ParseBookmark("3\r\n12\r\n42\r\n"), expected);
  EXPECT_EQ(ParseBookmark("3,12,42"), expected);
  EXPECT_EQ(ParseBookmark("3\n12\n42"), expected);
  EXPECT_EQ(ParseBookmark("  3\r\n 12, 42"), expected);
  EXPECT_EQ(ParseBookmark("3\r\nx\r\n42\r\n"), (Bookmark{3, 0, 42}));
  EXPECT_EQ(ParseBookmark("3\r\n12\r\n42\r\n9\r\n"), expected) << "extra fields are ignored";
  EXPECT_EQ(ParseBookmark(FormatBookmark({-1, 100, 7})), (Bookmark{-1, 100, 7}));
}

TEST(BookmarkFile, UnreadableContentIsNoBookmark) {
  for (const char* content : {"", "\r\n", "3\r\n12\r\n", "3,12", "3\r\n\r\n12\r\n",
                              "99999\r\n1\r\n2\r\n"}) {
    EXPECT_FALSE(ParseBookmark(content).has_value()) << '"' << content << '"';
  }
}

TEST(BookmarkFile, ThreeSecondsBackNeverBorrowsFromTheMinute) {
  EXPECT_EQ(ThreeSecondsBack({3, 12, 45}), (Bookmark{3, 12, 42}));
  EXPECT_EQ(ThreeSecondsBack({5, 0, 2}), (Bookmark{5, 0, 0}));
  EXPECT_EQ(ThreeSecondsBack({1, 7, 0}), (Bookmark{1, 7, 0}));
  EXPECT_EQ(ThreeSecondsBack({1, 7, 3}), (Bookmark{1, 7, 0}));
}

}  // namespace
}  // namespace lyrabox
