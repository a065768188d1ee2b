// SPDX-License-Identifier: GPL-3.0-or-later
// The load and unload sequences: what reaches the device, in which order, and when
// start-up ends the program instead of showing the window.
#include <optional>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/engine/app_world.h"

namespace lyrabox::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(LoadSequence, OrdinaryStartOpensTheDeviceInTrackFormatAndNothingElse) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.WriteBookmark("A1B2C3D", "3\r\n12\r\n45\r\n");  // never offered without "/Play"
  app.player.state.BmTrack = 7;
  app.player.state.FFSpeed = 30;
  app.player.state.DiscReady = true;

  ASSERT_TRUE(app.Start());

  EXPECT_THAT(app.Commands(), ElementsAre("open cdaudio alias cd wait shareable",
                                          "set cd time format tmsf wait"));
  // The timer is off before the device opens and comes on only at the very end.
  EXPECT_THAT(app.world.journal,
              ElementsAre("timer off", "mci open cdaudio alias cd wait shareable",
                          "mci set cd time format tmsf wait", "timer on"));
  // Both are checked sends: they carry the window as callback and want no reply.
  for (const SentCommand& sent : app.world.device.sent) {
    EXPECT_EQ(sent.callback, app.world.window.handle) << sent.command;
    EXPECT_EQ(sent.replyLength, 0u) << sent.command;
  }
  const PlayerState& state = app.player.state;
  EXPECT_EQ(state.BmTrack, 0);
  EXPECT_EQ(state.BmMin, 0);
  EXPECT_EQ(state.BmSec, 0);
  EXPECT_EQ(state.FFSpeed, 5);
  EXPECT_FALSE(state.DiscReady);
  EXPECT_FALSE(state.Playing);
  EXPECT_EQ(app.player.CdDrive, "d:\\");
  EXPECT_EQ(app.lifecycle.AutoPlayIndicator(), 0u);
  EXPECT_THAT(app.world.process.starts, IsEmpty());
  EXPECT_THAT(app.world.boxes.shown, IsEmpty());
  EXPECT_FALSE(app.world.process.ended);
}

TEST(LoadSequence, SecondInstanceEndsSilentlyWithoutTouchingTheDevice) {
  AppWorld app;
  app.world.process.otherInstance = true;
  app.world.process.arguments = "/Play";  // not even the AutoPlay start runs

  EXPECT_FALSE(app.Start());

  EXPECT_EQ(app.world.process.exitStatus, platform::ExitStatus::Success);
  EXPECT_THAT(app.world.journal, ElementsAre("end"));
}

TEST(LoadSequence, DeviceThatCannotBeOpenedIsReportedOnceAndEndsTheProgram) {
  AppWorld app;
  app.world.device.Fail("open cdaudio alias cd wait shareable", 263);

  EXPECT_FALSE(app.Start());

  EXPECT_THAT(app.world.journal,
              ElementsAre("timer off", "mci open cdaudio alias cd wait shareable",
                          "message The specified device is not open or is not recognized by MCI.",
                          "end"));
  EXPECT_EQ(app.world.process.exitStatus, platform::ExitStatus::Failure);
  EXPECT_FALSE(app.world.window.timerEnabled);
}

TEST(LoadSequence, TimeFormatFailureIsReportedAndStartUpGoesOn) {
  AppWorld app;
  app.world.device.Fail("set cd time format tmsf wait", 282);

  EXPECT_TRUE(app.Start());

  EXPECT_THAT(app.world.boxes.Messages(),
              ElementsAre("The specified parameter is out of range for the specified command."));
  EXPECT_TRUE(app.world.window.timerEnabled);
  EXPECT_EQ(app.player.MciError, 282);
}

// The drive-setting file c:\lyrabox\lbx.ini and the CD drive it gives.
struct DriveSettingCase {
  const char* name;
  std::optional<std::string> content;  // nothing: no file
  FakeDisks::Kind kind;
  const char* expected;
};

class DriveSetting : public ::testing::TestWithParam<DriveSettingCase> {};

TEST_P(DriveSetting, GivesTheCdDrive) {
  const DriveSettingCase& c = GetParam();
  AppWorld app;
  if (c.content) app.world.disks.AddFile("c:\\lyrabox\\lbx.ini", *c.content, c.kind);

  ASSERT_TRUE(app.Start());

  EXPECT_EQ(app.player.CdDrive, c.expected);
  // The host is told once, what the file names or that it names nothing.
  ASSERT_EQ(app.world.disks.driveSettingsFollowed.size(), 1u);
  EXPECT_EQ(app.world.disks.driveSettingsFollowed[0].value_or("d:\\"), c.expected);
  EXPECT_THAT(app.world.boxes.shown, IsEmpty());
  EXPECT_THAT(app.Commands(), ElementsAre("open cdaudio alias cd wait shareable",
                                          "set cd time format tmsf wait"));
}

using Kind = FakeDisks::Kind;
INSTANTIATE_TEST_SUITE_P(
    Files, DriveSetting,
    ::testing::Values(
        DriveSettingCase{"Absent", std::nullopt, Kind::Ordinary, "d:\\"},
        DriveSettingCase{"PlainLine", "e:\\\r\n", Kind::Ordinary, "e:\\"},
        DriveSettingCase{"Quoted", "\"e:\\\"\r\n", Kind::Ordinary, "e:\\"},
        DriveSettingCase{"LeadingBlanks", "   g:\\\r\n", Kind::Ordinary, "g:\\"},
        DriveSettingCase{"FirstFieldOnly", "f:\\,x\r\n", Kind::Ordinary, "f:\\"},
        DriveSettingCase{"EmptyCountsAsAbsent", "", Kind::Ordinary, "d:\\"},
        DriveSettingCase{"BlanksOnlyCountAsAbsent", "  \r\n \r\n", Kind::Ordinary, "d:\\"},
        DriveSettingCase{"EmptyFieldCountsAsAbsent", ",e:\\\r\n", Kind::Ordinary, "d:\\"},
        DriveSettingCase{"EmptyQuotesCountAsAbsent", "\"\"\r\n", Kind::Ordinary, "d:\\"},
        DriveSettingCase{"HiddenFileDoesNotCount", "e:\\\r\n", Kind::Hidden, "d:\\"}),
    [](const ::testing::TestParamInfo<DriveSettingCase>& info) { return info.param.name; });

TEST(UnloadSequence, ReportsAFailedStopButNotAFailedClose) {
  AppWorld app;
  app.world.device.Fail("stop cd wait", 276);
  app.world.device.Fail("close all", 263);

  app.lifecycle.Unload();

  EXPECT_THAT(app.world.journal,
              ElementsAre("mci stop cd wait", "message The device driver is not ready.",
                          "mci close all"));
  EXPECT_EQ(app.player.MciError, 263);
  EXPECT_FALSE(app.world.process.ended);
}

}  // namespace
}  // namespace lyrabox::testing
