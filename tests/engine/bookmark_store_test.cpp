// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and saving a disc's bookmark through the player, the "Stop && Bookmark"
// button and the close prompt, on the fake device and disks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/player.h"
#include "platform/runtime_error.h"
#include "tests/fakes/fakes.h"

namespace lyrabox {
namespace {

using testing::FakeWorld;
using Lines = std::vector<std::string>;

constexpr char kFile[] = "c:\\lyrabox\\A1B2C3D";
constexpr char kNotReady[] = "The device driver is not ready.";
constexpr char kNoPosition[] = "The bookmark was not saved: the CD drive did not report a position.";

class Bookmarks : public ::testing::Test {
 protected:
  Bookmarks() {
    world.disks.SetSerial("d:\\", 0x0A1B2C3D);
    world.disks.AddFolder("c:\\lyrabox");
  }
  void Position(const std::string& reply) { world.device.Set("status cd position", reply); }
  void SetBookmarkFields(std::int16_t track, std::int16_t minute, std::int16_t second) {
    player.state.BmTrack = track;
    player.state.BmMin = minute;
    player.state.BmSec = second;
  }
  void ExpectBookmarkFields(std::int16_t track, std::int16_t minute, std::int16_t second) {
    EXPECT_EQ(player.state.BmTrack, track);
    EXPECT_EQ(player.state.BmMin, minute);
    EXPECT_EQ(player.state.BmSec, second);
  }

  FakeWorld world;
  Player player{world.platform, world.window};
};

// --- Saving -----------------------------------------------------------------------

TEST_F(Bookmarks, SaveWritesThreeSecondsBackByteForByte) {
  struct Case {
    const char* reply;
    const char* file;
    std::int16_t track, minute, second;
  };
  for (Case c : {Case{"03:12:45:10", "3\r\n12\r\n42\r\n", 3, 12, 42},
                 Case{"05:00:02:00", "5\r\n0\r\n0\r\n", 5, 0, 0},
                 Case{"01:07:00:33", "1\r\n7\r\n0\r\n", 1, 7, 0}}) {
    Position(c.reply);
    EXPECT_TRUE(player.BookMarkSave()) << c.reply;
    EXPECT_EQ(world.disks.Content(kFile), c.file) << c.reply;
    ExpectBookmarkFields(c.track, c.minute, c.second);
  }
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(Bookmarks, SaveQueriesItsOwnBufferAndLeavesTheErrorCodeAlone) {
  world.device.Set("pause cd", "", 282);
  player.SendMci("pause cd", false);
  world.device.On("status cd position", "03:12:45:10");
  player.StatusQuery("status cd position", player.StatusReply);
  Position("07:01:09:00");
  world.device.ClearLog();

  ASSERT_TRUE(player.BookMarkSave());
  ASSERT_EQ(world.device.sent.size(), 1u);
  EXPECT_EQ(world.device.sent[0].command, "status cd position");
  EXPECT_EQ(world.device.sent[0].replyLength, 30u);
  EXPECT_EQ(world.device.sent[0].callback, 0u);
  EXPECT_EQ(player.MciError, 282);
  EXPECT_EQ(player.StatusReply.Whole(), "03:12:45:10");
  EXPECT_EQ(player.BookmarkReply.Whole(), "07:01:09:00");
  EXPECT_EQ(world.disks.Content(kFile), "7\r\n1\r\n6\r\n");
}

TEST_F(Bookmarks, TwoSavesLeaveOneFileWithTheSecond) {
  Position("03:12:45:10");
  player.BookMarkSave();
  Position("04:00:30:00");
  player.BookMarkSave();
  EXPECT_EQ(world.disks.Files(), Lines{"c:\\lyrabox\\a1b2c3d"});
  EXPECT_EQ(world.disks.Content(kFile), "4\r\n0\r\n27\r\n");
}

TEST_F(Bookmarks, FileIsNamedAfterTheDiscInTheConfiguredDrive) {
  world.disks.SetSerial("e:\\", 0xABCD);
  player.CdDrive = "e:\\";
  Position("02:00:10:00");
  player.BookMarkSave();
  EXPECT_EQ(world.disks.Content("c:\\lyrabox\\ABCD"), "2\r\n0\r\n7\r\n");

  // A drive whose serial cannot be read shares the file "0".
  player.CdDrive = "f:\\";
  player.BookMarkSave();
  EXPECT_EQ(world.disks.Content("c:\\lyrabox\\0"), "2\r\n0\r\n7\r\n");
}

TEST_F(Bookmarks, MissingDataDirectoryIsMadeAndTheBookmarkKept) {
  world.disks.Remove("c:\\lyrabox");
  Position("03:12:45:10");
  EXPECT_TRUE(player.BookMarkSave());
  EXPECT_EQ(world.disks.Content(kFile), "3\r\n12\r\n42\r\n");
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_TRUE(player.ReadBookmark());
}

TEST_F(Bookmarks, InterruptedWriteKeepsTheOldBookmarkWhole) {
  Position("03:12:45:10");
  ASSERT_TRUE(player.BookMarkSave());
  Position("09:30:00:00");
  world.disks.failNextReplaceWith = static_cast<int>(ErrorNumber::DiskFull);
  EXPECT_FALSE(player.BookMarkSave());

  EXPECT_EQ(world.disks.Content(kFile), "3\r\n12\r\n42\r\n");
  ExpectBookmarkFields(3, 12, 42);
  EXPECT_EQ(world.boxes.Messages(),
            Lines{"The bookmark was not saved: c:\\lyrabox\\A1B2C3D could not be written "
                  "(Disk full)."});

  // The next save goes through.
  EXPECT_TRUE(player.BookMarkSave());
  EXPECT_EQ(world.disks.Content(kFile), "9\r\n30\r\n0\r\n");
}

TEST_F(Bookmarks, RefusedPositionQueryWritesNothingAndSaysWhy) {
  Position("03:12:45:10");
  player.BookMarkSave();
  int writes = world.disks.replaceCount;

  // The buffer still holds the earlier save's reply; it must not be saved again.
  world.device.Set("status cd position", "", 276);
  SetBookmarkFields(8, 8, 8);
  EXPECT_FALSE(player.BookMarkSave());
  EXPECT_EQ(world.disks.replaceCount, writes);
  EXPECT_EQ(world.disks.Content(kFile), "3\r\n12\r\n42\r\n");
  ExpectBookmarkFields(8, 8, 8);
  EXPECT_EQ(world.boxes.Messages(), Lines{std::string(kNoPosition) + "\n\n" + kNotReady});
  EXPECT_EQ(player.MciError, 0);

  // A refusal the device has no text for gets the plain message.
  world.device.Set("status cd position", "", 999);
  EXPECT_FALSE(player.BookMarkSave());
  EXPECT_EQ(world.boxes.Messages().back(), kNoPosition);
}

TEST_F(Bookmarks, ReplyThatIsNoPositionWritesNothing) {
  Position("03:12:45:10");
  player.BookMarkSave();
  // "" is a query that succeeds and writes nothing, and "1" would slice as 01:12:45
  // over the older reply: neither may save the earlier save's position again.
  for (const char* reply : {"", "1", "playing", "125000", "3:12:45:10", "03:12", "ab:cd:ef:gh",
                            "03-12-45-10"}) {
    Position(reply);
    EXPECT_FALSE(player.BookMarkSave()) << '"' << reply << '"';
    EXPECT_EQ(world.boxes.Messages().back(), kNoPosition);
  }
  EXPECT_EQ(world.disks.replaceCount, 1);
  EXPECT_EQ(world.disks.Content(kFile), "3\r\n12\r\n42\r\n");
}

TEST_F(Bookmarks, UnwritableFolderIsReportedNotFatal) {
  // c:\lyrabox is a file, so the folder can be neither used nor made.
  class NoFolders : public testing::FakeDisks {
   public:
    void CreateFolders(std::string_view path) override {
      throw RuntimeError(ErrorNumber::PathNotFound, std::string(path));
    }
  } disks;
  disks.SetSerial("d:\\", 0x0A1B2C3D);
  platform::Platform platform{world.device, disks, world.process, world.boxes};
  Player lonely(platform, world.window);
  Position("03:12:45:10");
  EXPECT_FALSE(lonely.BookMarkSave());
  EXPECT_EQ(world.boxes.Messages(),
            Lines{"The bookmark was not saved: c:\\lyrabox\\A1B2C3D could not be written "
                  "(Path not found)."});
}

// --- Reading ----------------------------------------------------------------------

TEST_F(Bookmarks, ReadFillsTheFieldsFromTheDiscsFile) {
  world.disks.AddFile(kFile, "5\r\n1\r\n7\r\n");
  EXPECT_TRUE(player.ReadBookmark());
  ExpectBookmarkFields(5, 1, 7);

  world.disks.AddFile(kFile, "3,12,42");
  EXPECT_TRUE(player.ReadBookmark());
  ExpectBookmarkFields(3, 12, 42);

  world.disks.AddFile(kFile, "3\r\nx\r\n42\r\n");
  EXPECT_TRUE(player.ReadBookmark());
  ExpectBookmarkFields(3, 0, 42);

  // Values are used as they stand.
  world.disks.AddFile(kFile, "0\r\n75\r\n99\r\n");
  EXPECT_TRUE(player.ReadBookmark());
  ExpectBookmarkFields(0, 75, 99);
}

TEST_F(Bookmarks, NoOrdinaryFileMeansNoBookmark) {
  SetBookmarkFields(8, 8, 8);
  EXPECT_FALSE(player.ReadBookmark());
  world.disks.AddFile(kFile, "5\r\n1\r\n7\r\n", testing::FakeDisks::Kind::Hidden);
  EXPECT_FALSE(player.ReadBookmark());
  world.disks.Remove(kFile);
  world.disks.AddFolder(kFile);
  EXPECT_FALSE(player.ReadBookmark());
  // Another disc's file is not this disc's.
  world.disks.AddFile("c:\\lyrabox\\ABCD", "5\r\n1\r\n7\r\n");
  EXPECT_FALSE(player.ReadBookmark());
  ExpectBookmarkFields(8, 8, 8);
}

TEST_F(Bookmarks, FileThatCannotBeOpenedCountsAsNoBookmark) {
  class Unreadable : public testing::FakeDisks {
   public:
    std::string ReadTextFile(std::string_view path) override {
      throw RuntimeError(ErrorNumber::PermissionDenied, std::string(path));
    }
  } disks;
  disks.SetSerial("d:\\", 0x0A1B2C3D);
  disks.AddFile(kFile, "5\r\n1\r\n7\r\n");
  platform::Platform platform{world.device, disks, world.process, world.boxes};
  Player reader(platform, world.window);
  EXPECT_FALSE(reader.ReadBookmark());
  EXPECT_EQ(reader.state.BmTrack, 0);
}

TEST_F(Bookmarks, SavedBookmarkReadsBackTheSame) {
  Position("11:59:58:74");
  ASSERT_TRUE(player.BookMarkSave());
  SetBookmarkFields(0, 0, 0);
  ASSERT_TRUE(player.ReadBookmark());
  ExpectBookmarkFields(11, 59, 55);
}

// --- The "Stop && Bookmark" button -------------------------------------------------

TEST_F(Bookmarks, StopAndBookmarkSavesThenStops) {
  Position("03:12:45:10");
  player.state.Playing = true;
  player.StopAndBookmark();
  EXPECT_EQ(world.device.Commands(), (Lines{"status cd position", "stop cd wait"}));
  EXPECT_EQ(world.device.sent[1].callback, world.window.handle) << "a checked send";
  EXPECT_EQ(world.disks.Content(kFile), "3\r\n12\r\n42\r\n");
  // The next poll, not the button, brings the display and Playing up to date.
  EXPECT_TRUE(player.state.Playing);
  EXPECT_TRUE(world.window.log.empty());
}

TEST_F(Bookmarks, StopAndBookmarkStillStopsWhenNothingWasSaved) {
  world.device.Set("status cd position", "", 276);
  player.StopAndBookmark();
  EXPECT_EQ(world.device.Commands(), (Lines{"status cd position", "stop cd wait"}));
  EXPECT_FALSE(world.disks.Has(kFile));
  EXPECT_EQ(world.boxes.Messages().size(), 1u);
}

TEST_F(Bookmarks, StopAndBookmarkReportsARefusedStop) {
  Position("03:12:45:10");
  world.device.Set("stop cd wait", "", 276);
  player.StopAndBookmark();
  EXPECT_EQ(world.boxes.Messages(), Lines{kNotReady});
  EXPECT_EQ(player.MciError, 276);
  EXPECT_TRUE(world.disks.Has(kFile));
}

}  // namespace
}  // namespace lyrabox
