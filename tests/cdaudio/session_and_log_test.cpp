// SPDX-License-Identifier: GPL-3.0-or-later
// lyrabox-mci's loop, the command log, and the choice of disc from the environment.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cdaudio/cdaudio.h"
#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"
#include "cdaudio/linux/environment.h"
#include "cdaudio/linux/image_drive.h"
#include "cdaudio/linux/sound_transport.h"
#include "cdaudio/mci_log.h"
#include "cdaudio/mci_session.h"
#include "cdaudio/result_codes.h"
#include "scoped_environment.h"

namespace lyrabox::cdaudio {
namespace {

namespace fs = std::filesystem;

using testing::ScopedEnvironment;

fs::path TempFile(const std::string& name) {
  return fs::path(::testing::TempDir()) / (name + "-" + std::to_string(::getpid()));
}

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

std::unique_ptr<Device> DemoDevice() {
  return CreateDevice(std::make_shared<DemoDrive>(), std::make_shared<ManualClock>());
}

TEST(MciSessionTest, PrintsOneLinePerCommandAndTheErrorsWithTheirTexts) {
  auto device = DemoDevice();
  std::istringstream in(
      "open cdaudio alias cd wait shareable\n"
      "set cd time format tmsf wait\r\n"
      "\n"
      "status cd number of tracks wait\n"
      "seek cd to 13\n"
      "status cd position");
  std::ostringstream out;
  EXPECT_EQ(RunMciSession(in, out, *device), 1);
  EXPECT_EQ(out.str(),
            "1\n"
            "\n"
            "12\n"
            "error 282: The specified parameter is out of range for the specified command.\n"
            "01:00:00:00\n");
}

TEST(MciSessionTest, ExitsWithZeroWhenEveryCommandSucceeded) {
  auto device = DemoDevice();
  std::istringstream in("open cdaudio alias cd\nstatus cd mode\nclose all\n");
  std::ostringstream out;
  EXPECT_EQ(RunMciSession(in, out, *device), 0);
  EXPECT_EQ(out.str(), "1\nstopped\n\n");
}

TEST(MciLogTest, AppendsTheCommandItsCodeAndItsReplyOneLineEach) {
  const fs::path path = TempFile("mci-log");
  fs::remove(path);
  std::ofstream(path) << "an earlier line\n";
  {
    auto device = LoggingDevice::Wrap(DemoDevice(), MciLog::Open(path.string()));
    std::string reply;
    device->Send("open cdaudio alias cd wait shareable", reply);
    device->Send("Status CD  number of tracks", reply);
    device->Send("seek cd to 0", reply);
    device->Send("play cd", reply);
    // Written as each command is answered, not when the device goes.
    EXPECT_EQ(ReadAll(path),
              "an earlier line\n"
              "open cdaudio alias cd wait shareable\t0\t1\n"
              "Status CD  number of tracks\t0\t12\n"
              "seek cd to 0\t282\t\n"
              "play cd\t0\t\n");
    EXPECT_EQ(device->Contents(), DemoDiscContents());
  }
  fs::remove(path);
}

TEST(MciLogTest, ALogThatCannotBeOpenedLeavesTheDeviceWorking) {
  ::testing::internal::CaptureStderr();
  auto device = LoggingDevice::Wrap(DemoDevice(), MciLog::Open("/nonexistent-folder/mci.log"));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("/nonexistent-folder/mci.log"),
            std::string::npos);
  std::string reply;
  EXPECT_EQ(device->Send("open cdaudio alias cd", reply), 0u);
}

TEST(EnvironmentTest, DemoPicksTheDemoDiscAndTheLogFollowsTheVariable) {
  const fs::path path = TempFile("environment-log");
  fs::remove(path);
  ScopedEnvironment disc("LYRABOX_CD", "Demo");
  ScopedEnvironment log("LYRABOX_MCI_LOG", path.c_str());
  auto device = OpenFromEnvironment(&SoundTransport::Open);
  std::string reply;
  ASSERT_EQ(device->Send("open cdaudio alias cd wait shareable", reply), 0u);
  ASSERT_EQ(device->Send("status cd number of tracks wait", reply), 0u);
  EXPECT_EQ(reply, "12");
  EXPECT_EQ(device->Contents(), DemoDiscContents());
  EXPECT_EQ(ReadAll(path),
            "open cdaudio alias cd wait shareable\t0\t1\n"
            "status cd number of tracks wait\t0\t12\n");
  fs::remove(path);
}

// Names that are no disc: missing, a pipe with an image's name (the image library
// would wait on it for ever), a device node that is no CD drive, a sound file. The
// open fails with the driver's own code, whose text (what the player's box and
// lyrabox-mci show) names what was given and says why.
TEST(EnvironmentTest, ANameThatIsNoDiscFailsTheOpenWithATextThatSaysWhy) {
  const fs::path pipe = TempFile("environment-pipe") += ".cue";
  const fs::path sound = TempFile("environment-sound") += ".wav";
  fs::remove(pipe);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::ofstream(sound) << "RIFF";
  const struct {
    std::string name;
    ResultCode code;
    std::string why;
  } cases[] = {
      {"/nonexistent-folder/album.cue", kDiscNotThere, "which is not there."},
      {pipe.string(), kDiscImageNotAFile, "which is not a file."},
      {"/dev/null", kNotACdDrive, "which is not a CD drive."},
      {sound.string(), kDiscOfNoKind,
       "which is neither a CD drive, nor a disc image that Lyrabox reads, nor \"demo\"."},
  };
  for (const auto& [name, code, why] : cases) {
    ScopedEnvironment disc("LYRABOX_CD", name.c_str());
    ScopedEnvironment log("LYRABOX_MCI_LOG", nullptr);
    ::testing::internal::CaptureStderr();
    auto device = OpenFromEnvironment(&SoundTransport::Open);
    std::istringstream in("open cdaudio alias cd wait shareable\n");
    std::ostringstream out;
    EXPECT_EQ(RunMciSession(in, out, *device), 1);
    EXPECT_EQ(out.str(), "error " + std::to_string(code) + ": LYRABOX_CD names " + name + ", " +
                             why + "\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << name;
    EXPECT_FALSE(device->Contents());
  }
  fs::remove(pipe);
  fs::remove(sound);
}

TEST(ErrorTextTest, EveryCodeTheDeviceReturnsHasAText) {
  for (ResultCode code : kErrorCodes) EXPECT_NE(ErrorText(code, "x"), "") << code;
}

TEST(EnvironmentTest, TheHelpDescribesEveryVariableAndImageKindWithinEightyColumns) {
  const std::string help = DescribeEnvironment();
  for (const char* name : {kDiscVariable, kAudioVariable, kMciLogVariable}) {
    EXPECT_NE(help.find(std::string("  ") + name + " "), std::string::npos) << name;
  }
  for (std::string_view extension : DiscImageExtensions()) {
    EXPECT_NE(help.find(extension), std::string::npos) << extension;
  }
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

}  // namespace
}  // namespace lyrabox::cdaudio
