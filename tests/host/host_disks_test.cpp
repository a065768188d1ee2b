// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/host_disks.h"

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/runtime_error.h"
#include "tests/cdaudio/test_discs.h"
#include "tests/host/host_test_support.h"

// Every folder this process syncs, in turn: the test binary's own fsync stands in
// front of the C library's.
static std::vector<std::filesystem::path> syncedFolders;
extern "C" int fsync(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    syncedFolders.push_back(std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)));
  }
  static auto* const next = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
  return next(fd);
}

namespace lyrabox::host {
namespace {

using testing::ReadFile;
using testing::ScriptedCdDevice;
using testing::TemporaryFolder;
using testing::WriteFile;
using cdaudio::TableOfContents;
using cdaudio::testing::At;
namespace discs = cdaudio::testing;

// The error number a call throws, or nothing when it does not throw.
template <typename Call>
std::optional<ErrorNumber> ErrorOf(Call call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return std::nullopt;
}

class HostDisksTest : public ::testing::Test {
 protected:
  TemporaryFolder home;
  DriveFolders drives{home.path()};
  ScriptedCdDevice cd;
  platform::AudioCdChannel cdChannel{cd};
  HostDisks disks{drives, 'd', cdChannel};

  std::filesystem::path DataFolder() { return home.path() / "drive_c" / "lyrabox"; }
};

TEST_F(HostDisksTest, FileTestsIgnoreLetterCaseAlongThePath) {
  WriteFile(home.path() / "drive_c" / "LyraBox" / "KillApp.EXE", "");
  EXPECT_TRUE(disks.OrdinaryFileExists("c:\\lyrabox\\killapp.exe"));
  EXPECT_TRUE(disks.OrdinaryFileExists("C:\\LYRABOX\\KILLAPP.EXE"));
  EXPECT_FALSE(disks.OrdinaryFileExists("c:\\lyrabox\\killapp"));
  EXPECT_FALSE(disks.OrdinaryFileExists("e:\\lyrabox\\killapp.exe"));
  EXPECT_TRUE(disks.OrdinaryFileMatches("c:\\LYRABOX\\kill*.exe"));
  EXPECT_FALSE(disks.OrdinaryFileMatches("c:\\lyrabox\\*.ini"));
}

TEST_F(HostDisksTest, HiddenFilesAndFoldersAreNoOrdinaryFiles) {
  WriteFile(DataFolder() / ".A1B2C3D", "3\r\n12\r\n42\r\n");
  std::filesystem::create_directories(DataFolder() / "A1B2C3E");
  std::filesystem::create_directories(DataFolder() / ".hidden");
  EXPECT_FALSE(disks.OrdinaryFileExists("c:\\lyrabox\\.A1B2C3D"));
  EXPECT_FALSE(disks.OrdinaryFileExists("c:\\lyrabox\\A1B2C3E"));
  EXPECT_FALSE(disks.OrdinaryFileExists("c:\\lyrabox\\.hidden"));
  EXPECT_FALSE(disks.OrdinaryFileExists("c:\\lyrabox"));
  EXPECT_FALSE(disks.OrdinaryFileMatches("c:\\lyrabox\\*"));

  // An ordinary file beside them is found, also through a link.
  WriteFile(DataFolder() / "lbx.ini", "d:\\");
  std::filesystem::create_symlink(DataFolder() / "lbx.ini", DataFolder() / "linked.ini");
  EXPECT_TRUE(disks.OrdinaryFileMatches("c:\\lyrabox\\*"));
  EXPECT_TRUE(disks.OrdinaryFileExists("c:\\lyrabox\\LINKED.INI"));
}

TEST_F(HostDisksTest, CdRootListsTrackFilesOnlyWithAnAudioDisc) {
  EXPECT_FALSE(disks.OrdinaryFileMatches("d:\\*.CDA"));  // no disc

  cd.disc = discs::TwoTrackDisc();
  EXPECT_TRUE(disks.OrdinaryFileMatches("d:\\*.CDA"));
  EXPECT_TRUE(disks.OrdinaryFileMatches("D:\\track*.cda"));
  EXPECT_TRUE(disks.OrdinaryFileExists("d:\\TRACK02.CDA"));
  EXPECT_FALSE(disks.OrdinaryFileExists("d:\\Track03.cda"));
  EXPECT_FALSE(disks.OrdinaryFileExists("d:\\*.cda"));  // an exact test, not a pattern
  EXPECT_FALSE(disks.OrdinaryFileMatches("d:\\sub\\*.cda"));
  EXPECT_FALSE(disks.OrdinaryFileMatches("d:\\*.wav"));

  // The names follow the disc's own track numbers.
  cd.disc = TableOfContents::Make(9, {{At(0, 2, 0)}, {At(4, 0, 0)}}, At(10, 0, 0));
  EXPECT_TRUE(disks.OrdinaryFileExists("d:\\Track10.cda"));
  EXPECT_FALSE(disks.OrdinaryFileExists("d:\\Track01.cda"));
  // A disc with a data track shows no track files.
  cd.disc = TableOfContents::Make(1, {{At(0, 2, 0), true}, {At(4, 0, 0), false}}, At(10, 0, 0));
  EXPECT_FALSE(disks.OrdinaryFileMatches("d:\\*.CDA"));

  // The CD is not a folder: a drive_d folder with files in it does not show.
  cd.disc.reset();
  WriteFile(home.path() / "drive_d" / "Track01.cda", "");
  EXPECT_FALSE(disks.OrdinaryFileMatches("d:\\*.CDA"));
}

TEST_F(HostDisksTest, TheCdsVolumeSerialIsComputedFromItsTracksAsWindowsDoes) {
  std::vector<cdaudio::TocTrack> ninetyNine;
  for (int n = 0; n < 99; ++n) ninetyNine.push_back({At(n, 59, 74)});
  const struct {
    const char* disc;
    std::optional<TableOfContents> contents;
    std::uint32_t serial;
  } cases[] = {
      // The packed track starts: 0x000200 + 0x041120 + 0x090546.
      {"three tracks", discs::ThreeTrackDisc(), 0x000D1866},
      // Fewer than three tracks add the length in frames: 0x200 + 0x41120 + (40945 - 150).
      {"two tracks", discs::TwoTrackDisc(), 0x0004B27B},
      {"one track", TableOfContents::Make(1, {{At(0, 2, 0)}}, At(70, 0, 0)),
       0x200u + (70u * 4500u - 150u)},
      // Minutes 0 to 98 sum to 4851.
      {"99 tracks", TableOfContents::Make(1, ninetyNine, At(99, 30, 0)),
       (4851u << 16) + 99u * ((59u << 8) + 74u)},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.contents) << c.disc;
    cd.disc = c.contents;
    EXPECT_EQ(disks.VolumeSerialNumber("d:\\"), c.serial) << c.disc;
  }
}

TEST_F(HostDisksTest, OnlyTheCdDriveHasAVolumeSerialNumber) {
  EXPECT_FALSE(disks.VolumeSerialNumber("d:\\"));  // no disc
  cd.disc = discs::ThreeTrackDisc();
  EXPECT_EQ(disks.VolumeSerialNumber("d:\\"), 0x000D1866u);
  EXPECT_EQ(disks.VolumeSerialNumber("D:"), 0x000D1866u);
  EXPECT_FALSE(disks.VolumeSerialNumber("d:\\Track01.cda"));  // not a root
  std::filesystem::create_directories(home.path() / "drive_c");
  EXPECT_FALSE(disks.VolumeSerialNumber("c:\\"));
  EXPECT_FALSE(disks.VolumeSerialNumber("nonsense"));
}

TEST_F(HostDisksTest, AnotherLetterCanBeTheCd) {
  ScriptedCdDevice otherCd;
  otherCd.disc = discs::TwoTrackDisc();
  platform::AudioCdChannel otherChannel(otherCd);
  HostDisks onG(drives, 'g', otherChannel);
  EXPECT_TRUE(onG.OrdinaryFileMatches("G:\\*.cda"));
  EXPECT_EQ(onG.VolumeSerialNumber("g:\\"), 0x0004B27Bu);
  // d: is then a folder like any other.
  EXPECT_FALSE(onG.VolumeSerialNumber("d:\\"));
  WriteFile(home.path() / "drive_d" / "Track09.CDA", "");
  EXPECT_TRUE(onG.OrdinaryFileExists("d:\\track09.cda"));
}

TEST_F(HostDisksTest, ReadTextFileGivesBytesOrTellsFileFromFolder) {
  WriteFile(DataFolder() / "A1B2C3D", "3\r\n12\r\n42\r\n");
  EXPECT_EQ(disks.ReadTextFile("C:\\LyraBox\\a1b2c3d"), "3\r\n12\r\n42\r\n");
  EXPECT_EQ(ErrorOf([&] { disks.ReadTextFile("c:\\lyrabox\\0"); }), ErrorNumber::FileNotFound);
  EXPECT_EQ(ErrorOf([&] { disks.ReadTextFile("c:\\nofolder\\lbx.ini"); }),
            ErrorNumber::PathNotFound);
  EXPECT_EQ(ErrorOf([&] { disks.ReadTextFile("q:\\lbx.ini"); }), ErrorNumber::PathNotFound);
  EXPECT_EQ(ErrorOf([&] { disks.ReadTextFile("c:\\lyrabox"); }), ErrorNumber::FileNotFound);
  EXPECT_EQ(ErrorOf([&] { disks.ReadTextFile("c:\\lyrabox\\A1B2C3D\\x"); }),
            ErrorNumber::PathNotFound);

  // A 3 GB file (sparse, so the test costs nothing) gives its start, not its size.
  WriteFile(DataFolder() / "HUGE", "3,12,42");
  std::filesystem::resize_file(DataFolder() / "HUGE", 3'000'000'000);
  const std::string start = disks.ReadTextFile("c:\\lyrabox\\huge");
  EXPECT_EQ(start.size(), platform::kTextFileReadLimit);
  EXPECT_EQ(start.substr(0, 7), "3,12,42");
}

TEST_F(HostDisksTest, ReadErrorsNameBothPaths) {
  std::filesystem::create_directories(DataFolder());
  try {
    disks.ReadTextFile("c:\\lyrabox\\lbx.ini");
    FAIL() << "a missing file was read";
  } catch (const RuntimeError& error) {
    std::string box = error.BoxText();
    EXPECT_NE(box.find("c:\\lyrabox\\lbx.ini"), std::string::npos) << box;
    EXPECT_NE(box.find((DataFolder() / "lbx.ini").string()), std::string::npos) << box;
  }
}

TEST_F(HostDisksTest, ReplaceFileWritesNewAndReplacesOldInItsOwnSpelling) {
  std::filesystem::create_directories(DataFolder());
  disks.ReplaceFile("c:\\LYRABOX\\A1B2C3D", "3\r\n12\r\n42\r\n");
  EXPECT_EQ(ReadFile(DataFolder() / "A1B2C3D"), "3\r\n12\r\n42\r\n");

  std::filesystem::permissions(DataFolder() / "A1B2C3D", std::filesystem::perms(0640));
  disks.ReplaceFile("c:\\lyrabox\\a1b2c3d", "5\r\n0\r\n0\r\n");
  EXPECT_EQ(ReadFile(DataFolder() / "A1B2C3D"), "5\r\n0\r\n0\r\n");
  EXPECT_FALSE(std::filesystem::exists(DataFolder() / "a1b2c3d"));
  EXPECT_EQ(std::filesystem::status(DataFolder() / "A1B2C3D").permissions(),
            std::filesystem::perms(0640));
  // Nothing else is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(DataFolder()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(HostDisksTest, ReplaceFileFailuresLeaveTheOldContent) {
  WriteFile(DataFolder() / "A1B2C3D", "old");
  // Something in the way of the file written beside: a folder at its name.
  std::filesystem::create_directories(DataFolder() / ".A1B2C3D.lyrabox-new");
  EXPECT_EQ(ErrorOf([&] { disks.ReplaceFile("c:\\lyrabox\\A1B2C3D", "new"); }),
            ErrorNumber::PermissionDenied);
  EXPECT_EQ(ReadFile(DataFolder() / "A1B2C3D"), "old");

  EXPECT_EQ(ErrorOf([&] { disks.ReplaceFile("c:\\missing\\A1B2C3D", "new"); }),
            ErrorNumber::PathNotFound);
  EXPECT_FALSE(std::filesystem::exists(home.path() / "drive_c" / "missing"));

  std::filesystem::create_directories(DataFolder() / "AFOLDER");
  EXPECT_EQ(ErrorOf([&] { disks.ReplaceFile("c:\\lyrabox\\afolder", "new"); }),
            ErrorNumber::PermissionDenied);
  EXPECT_TRUE(std::filesystem::is_directory(DataFolder() / "AFOLDER"));

  EXPECT_EQ(ErrorOf([&] { disks.ReplaceFile("d:\\Track01.cda", "x"); }),
            ErrorNumber::PermissionDenied);
}

TEST_F(HostDisksTest, ReplaceFileOnAFullDiskIsDiskFullAndKeepsTheOldFile) {
  // A file size limit makes writes fail as a full disk does, and works for root too.
  // It is set in a child so that nothing else of the test run is limited.
  WriteFile(DataFolder() / "A1B2C3D", "3\r\n12\r\n42\r\n");
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4, 4};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    int code = 0;
    try {
      disks.ReplaceFile("c:\\lyrabox\\A1B2C3D", std::string(1000, '7'));
    } catch (const RuntimeError& error) {
      code = static_cast<int>(error.number());
    }
    ::_exit(code);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(ErrorNumber::DiskFull));
  EXPECT_EQ(ReadFile(DataFolder() / "A1B2C3D"), "3\r\n12\r\n42\r\n");
  EXPECT_FALSE(std::filesystem::exists(DataFolder() / ".A1B2C3D.lyrabox-new"));
}

// What stands at a file's name and is no regular file (a link to a device that anyone
// may write, or a half-written file left beside it) lends the new file no mode.
TEST_F(HostDisksTest, AFileThatReplacesALinkHasTheModeOfANewFile) {
  std::filesystem::create_directories(DataFolder());
  std::filesystem::create_symlink("/dev/zero", DataFolder() / "A1B2C3D");
  WriteFile(DataFolder() / ".A1B2C3E.lyrabox-new", "half", std::filesystem::perms(0666));
  disks.ReplaceFile("c:\\lyrabox\\A1B2C3D", "3\r\n12\r\n42\r\n");
  disks.ReplaceFile("c:\\lyrabox\\A1B2C3E", "3\r\n12\r\n42\r\n");
  for (const char* name : {"A1B2C3D", "A1B2C3E"}) {
    const std::filesystem::file_status made = std::filesystem::symlink_status(DataFolder() / name);
    EXPECT_TRUE(std::filesystem::is_regular_file(made)) << name;
    EXPECT_EQ(made.permissions() & std::filesystem::perms(0133), std::filesystem::perms::none)
        << name;
  }
}

// The first save makes the folders the file goes into: each is synced into the one
// above it, as the file is into its own, so that a power loss cannot take the folders
// and the bookmark away together.
TEST_F(HostDisksTest, FoldersMadeForAFileAreSyncedIntoTheFolderAbove) {
  DriveFolders deeper(home.path() / "new" / "home");
  HostDisks fresh(deeper, 'd', cdChannel);
  syncedFolders.clear();
  fresh.CreateFolders("c:\\lyrabox");
  fresh.ReplaceFile("c:\\lyrabox\\A1B2C3D", "3\r\n12\r\n42\r\n");
  const std::filesystem::path top = std::filesystem::canonical(home.path());
  EXPECT_THAT(syncedFolders,
              ::testing::UnorderedElementsAre(top, top / "new", top / "new" / "home",
                                              top / "new" / "home" / "drive_c",
                                              top / "new" / "home" / "drive_c" / "lyrabox"));
}

TEST_F(HostDisksTest, CreateFoldersMakesTheDriveAndEveryMissingFolder) {
  disks.CreateFolders("c:\\lyrabox");
  EXPECT_TRUE(std::filesystem::is_directory(DataFolder()));
  disks.CreateFolders("C:\\LYRABOX\\sub\\deeper");
  EXPECT_TRUE(std::filesystem::is_directory(DataFolder() / "sub" / "deeper"));
  EXPECT_FALSE(std::filesystem::exists(home.path() / "drive_c" / "LYRABOX"));

  WriteFile(DataFolder() / "lbx.ini", "");
  EXPECT_EQ(ErrorOf([&] { disks.CreateFolders("c:\\lyrabox\\lbx.ini\\x"); }),
            ErrorNumber::PathNotFound);
  EXPECT_EQ(ErrorOf([&] { disks.CreateFolders("d:\\x"); }), ErrorNumber::PathNotFound);
  EXPECT_EQ(ErrorOf([&] { disks.CreateFolders("relative"); }), ErrorNumber::PathNotFound);
}

}  // namespace
}  // namespace lyrabox::host
