// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/host_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "platform/linux/linux_host.h"
#include "tests/cdaudio/test_discs.h"
#include "tests/host/host_test_support.h"
#include "tests/support/scoped_environment.h"

namespace lyrabox::host {
namespace {

using testing::ScriptedCdDevice;
using testing::TemporaryFolder;
using testing::WriteFile;

HostSettings From(std::map<std::string, std::string> variables) {
  return HostSettings::FromEnvironment([variables](const char* name) -> const char* {
    auto found = variables.find(name);
    return found == variables.end() ? nullptr : found->second.c_str();
  });
}

TEST(HostSettings, HomeFollowsTheXdgRulesUnlessGiven) {
  EXPECT_EQ(From({{"HOME", "/home/ann"}}).home, "/home/ann/.local/share/lyrabox");
  EXPECT_EQ(From({{"HOME", "/home/ann"}, {"XDG_DATA_HOME", "/data"}}).home, "/data/lyrabox");
  // A relative XDG value is no value.
  EXPECT_EQ(From({{"HOME", "/home/ann"}, {"XDG_DATA_HOME", "data"}}).home,
            "/home/ann/.local/share/lyrabox");
  EXPECT_EQ(From({{"HOME", "/home/ann"}, {"LYRABOX_HOME", "/srv/lyra/"}}).home, "/srv/lyra/");
  EXPECT_TRUE(From({{"LYRABOX_HOME", "relative"}}).home.is_absolute());
  EXPECT_EQ(From({{"HOME", "/home/ann"}, {"LYRABOX_HOME", ""}}).home,
            "/home/ann/.local/share/lyrabox");
}

TEST(HostSettings, LockLivesInTheRuntimeFolderOrPerUserInTmp) {
  EXPECT_EQ(From({{"XDG_RUNTIME_DIR", "/run/user/1000"}}).lockFile, "/run/user/1000/lyrabox.lock");
  EXPECT_EQ(From({}).lockFile, "/tmp/lyrabox-" + std::to_string(::geteuid()) + ".lock");
}

TEST(HostSettings, CdDriveLetterInAnyUsualSpelling) {
  EXPECT_EQ(From({}).cdDrive, 'd');
  EXPECT_EQ(From({{"LYRABOX_CD_DRIVE", "E:"}}).cdDrive, 'e');
  EXPECT_EQ(From({{"LYRABOX_CD_DRIVE", "g:\\"}}).cdDrive, 'g');
  EXPECT_EQ(From({{"LYRABOX_CD_DRIVE", "f"}}).cdDrive, 'f');
  HostSettings bad = From({{"LYRABOX_CD_DRIVE", "cdrom"}});
  EXPECT_EQ(bad.cdDrive, 'd');
  EXPECT_NE(bad.warning.find("cdrom"), std::string::npos);
  EXPECT_TRUE(From({{"LYRABOX_CD_DRIVE", "e:"}}).warning.empty());
  // The data folder's drive is a folder.
  HostSettings data = From({{"LYRABOX_CD_DRIVE", "c:"}});
  EXPECT_EQ(data.cdDrive, 'd');
  EXPECT_NE(data.warning.find("data folder"), std::string::npos);
}

// The drive the player plays (lbx.ini's, or d: without one) is the CD drive, whatever
// LYRABOX_CD_DRIVE said; one line says when they disagree.
TEST(HostSettings, TheDriveThePlayerPlaysIsTheCdDrive) {
  const std::optional<std::string> noFile;
  struct Case {
    const char* variable;  // LYRABOX_CD_DRIVE, "" for unset
    std::optional<std::string> settingRoot;
    char cdDrive;
    const char* lineHolds;  // "" for no line
  };
  const Case cases[] = {
      {"", "e:\\", 'e', ""},
      {"e:", "E:\\", 'e', ""},
      {"f", "e:\\", 'e', "LYRABOX_CD_DRIVE names f:, but lbx.ini names e:\\; the CD drive is e:"},
      {"e", noFile, 'd', "LYRABOX_CD_DRIVE names e:, but without lbx.ini the player plays d:\\"},
      {"", noFile, 'd', ""},
      {"f", "c:\\", 'f', "lbx.ini names \"c:\\\", which cannot be the CD drive; the CD drive stays f:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.variable) + " / " + c.settingRoot.value_or("no lbx.ini"));
    HostSettings settings = *c.variable ? From({{"LYRABOX_CD_DRIVE", c.variable}}) : From({});
    const std::string line = settings.FollowPlayerDrive(c.settingRoot);
    EXPECT_EQ(settings.cdDrive, c.cdDrive);
    if (*c.lineHolds == '\0') {
      EXPECT_EQ(line, "");
    } else {
      EXPECT_NE(line.find(c.lineHolds), std::string::npos) << line;
    }
  }
}

// The whole host as main makes it, set up by environment variables only.
TEST(LinuxHost, PartsWorkTogetherFromTheEnvironment) {
  TemporaryFolder folder;
  ::lyrabox::testing::ScopedEnvironment home("LYRABOX_HOME", folder.path().string());
  ::lyrabox::testing::ScopedEnvironment cdDrive("LYRABOX_CD_DRIVE", "G:");
  ::lyrabox::testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", folder.path().string());
  WriteFile(folder.path() / "drive_c" / "Lyrabox" / "LBX.ini", "g:\\\r\n");

  auto device = std::make_unique<ScriptedCdDevice>();
  device->disc = cdaudio::testing::ThreeTrackDisc();
  device->answers["status cd media present"] = {0, "true"};
  {
    LinuxHost host({"/Play", "--cd=e:"}, std::move(device));
    EXPECT_EQ(host.process().ArgumentText(), "/Play --cd=e:");
    EXPECT_FALSE(host.process().OtherInstanceRunning());
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "lyrabox.lock"));
    EXPECT_EQ(host.disks().ReadTextFile("c:\\lyrabox\\lbx.ini"), "g:\\\r\n");
    // The CD drive is the letter of the environment, not of the arguments.
    EXPECT_TRUE(host.disks().OrdinaryFileMatches("g:\\*.CDA"));
    EXPECT_FALSE(host.disks().OrdinaryFileMatches("e:\\*.CDA"));
    EXPECT_EQ(host.disks().VolumeSerialNumber("g:\\"), 0x000D1866u);
    char reply[30] = {};
    EXPECT_EQ(host.device().SendString("status cd media present", reply, 30, 0), 0u);
    EXPECT_STREQ(reply, "true");
    // The drive setting the load sequence reads makes its drive the CD drive.
    host.disks().FollowDriveSetting("e:\\");
    EXPECT_TRUE(host.disks().OrdinaryFileMatches("e:\\*.CDA"));
    EXPECT_FALSE(host.disks().OrdinaryFileMatches("g:\\*.CDA"));
  }
  EXPECT_THROW(LinuxHost({}, nullptr), std::invalid_argument);
}

}  // namespace
}  // namespace lyrabox::host
