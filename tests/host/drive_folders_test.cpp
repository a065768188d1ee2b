// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/drive_folders.h"

#include <gtest/gtest.h>

#include "tests/host/host_test_support.h"

namespace lyrabox::host {
namespace {

using testing::TemporaryFolder;
using testing::WriteFile;

std::vector<std::string> Names(std::string_view text) {
  std::optional<WindowsPath> path = WindowsPath::Parse(text);
  return path ? path->names : std::vector<std::string>{"<none>"};
}

TEST(WindowsPath, TakesDriveAndNamesApart) {
  std::optional<WindowsPath> path = WindowsPath::Parse("C:\\lyrabox\\lbx.ini");
  ASSERT_TRUE(path);
  EXPECT_EQ(path->drive, 'c');
  EXPECT_EQ(path->names, (std::vector<std::string>{"lyrabox", "lbx.ini"}));

  EXPECT_TRUE(Names("d:\\").empty());
  EXPECT_TRUE(Names("d:").empty());
  EXPECT_EQ(Names("c:/lyrabox//sub\\.\\x"), (std::vector<std::string>{"lyrabox", "sub", "x"}));
  EXPECT_EQ(Names("e:\\program files\\Plus!\\DeluxeCD\\deluxecd.exe"),
            (std::vector<std::string>{"program files", "Plus!", "DeluxeCD", "deluxecd.exe"}));
}

TEST(WindowsPath, DotDotNeverLeavesTheDrive) {
  EXPECT_EQ(Names("c:\\a\\..\\b"), (std::vector<std::string>{"b"}));
  EXPECT_EQ(Names("c:\\..\\..\\etc\\passwd"), (std::vector<std::string>{"etc", "passwd"}));
}

TEST(WindowsPath, RefusesWhatNamesNoDrive) {
  EXPECT_FALSE(WindowsPath::Parse(""));
  EXPECT_FALSE(WindowsPath::Parse("lyrabox\\lbx.ini"));
  EXPECT_FALSE(WindowsPath::Parse("\\\\server\\share\\x"));
  EXPECT_FALSE(WindowsPath::Parse("1:\\x"));
  EXPECT_FALSE(WindowsPath::Parse("/usr/bin/true"));
  EXPECT_FALSE(WindowsPath::Parse(std::string_view("c:\\a\0b", 6)));
}

class DriveFoldersTest : public ::testing::Test {
 protected:
  TemporaryFolder home;
  DriveFolders drives{home.path()};

  DriveFolders::Mapped Map(std::string_view text) {
    return drives.Map(*WindowsPath::Parse(text));
  }
};

TEST_F(DriveFoldersTest, MapsEachNameWithoutRegardToCase) {
  WriteFile(home.path() / "drive_c" / "LyraBox" / "LBX.INI", "e:\\");
  DriveFolders::Mapped mapped = Map("c:\\lyrabox\\lbx.ini");
  EXPECT_TRUE(mapped.found);
  EXPECT_EQ(mapped.hostPath, home.path() / "drive_c" / "LyraBox" / "LBX.INI");

  // The drive folder's own name and the letter's case do not matter either.
  std::filesystem::rename(home.path() / "drive_c", home.path() / "Drive_C");
  EXPECT_TRUE(Map("C:\\LYRABOX\\Lbx.Ini").found);
}

TEST_F(DriveFoldersTest, ExactSpellingWinsOverOtherCases) {
  WriteFile(home.path() / "drive_c" / "lyrabox" / "A1B2", "1");
  WriteFile(home.path() / "drive_c" / "lyrabox" / "a1b2", "2");
  EXPECT_EQ(Map("c:\\lyrabox\\a1b2").hostPath.filename(), "a1b2");
  EXPECT_EQ(Map("c:\\lyrabox\\A1B2").hostPath.filename(), "A1B2");
  // Neither exact: the first in byte order, every time.
  EXPECT_EQ(Map("c:\\lyrabox\\A1b2").hostPath.filename(), "A1B2");
}

TEST_F(DriveFoldersTest, NewFileKeepsItsNameInTheExistingFolder) {
  std::filesystem::create_directories(home.path() / "drive_c" / "LYRABOX");
  DriveFolders::Mapped mapped = Map("c:\\lyrabox\\NewDisc");
  EXPECT_TRUE(mapped.folderFound);
  EXPECT_FALSE(mapped.found);
  EXPECT_EQ(mapped.hostPath, home.path() / "drive_c" / "LYRABOX" / "NewDisc");
}

}  // namespace
}  // namespace lyrabox::host
