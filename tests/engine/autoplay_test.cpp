// SPDX-License-Identifier: GPL-3.0-or-later
// The start by AutoPlay: which argument texts count, the hand-over of a disc without
// a bookmark, the kill steps, and the resume at the bookmark.
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/engine/app_world.h"

namespace lyrabox::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using platform::WindowState;

constexpr const char* kPlayer = "E:\\program files\\Plus!\\DeluxeCD\\deluxecd.exe /play G:\\";
constexpr const char* kKill = "c:\\lyrabox\\killapp MMFRAME* *Deluxe*";

// The commands of the first poll of the three-track disc of AppWorld.
const std::vector<std::string> kFirstPoll = {
    "status cd media present", "status cd number of tracks wait", "status cd length wait",
    "status cd length track 1", "status cd length track 2",       "status cd length track 3",
    "seek cd to 1",            "status cd position",              "status cd mode"};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// --- Which starts count as AutoPlay -------------------------------------------------

struct ArgumentCase {
  const char* arguments;
  std::size_t indicator;
};

void PrintTo(const ArgumentCase& c, std::ostream* out) { *out << '"' << c.arguments << '"'; }

class AutoPlayArguments : public ::testing::TestWithParam<ArgumentCase> {};

TEST_P(AutoPlayArguments, MarkAnywhereInAnyCaseHandsADiscWithoutBookmarkOver) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.world.process.arguments = GetParam().arguments;

  EXPECT_FALSE(app.Start());

  EXPECT_EQ(app.lifecycle.AutoPlayIndicator(), GetParam().indicator);
  ASSERT_EQ(app.world.process.starts.size(), 1u);
  EXPECT_EQ(app.world.process.starts[0].commandLine, kPlayer);
}

INSTANTIATE_TEST_SUITE_P(Marks, AutoPlayArguments,
                         ::testing::Values(ArgumentCase{"/Play", 1}, ArgumentCase{"/play", 1},
                                           ArgumentCase{"/PLAY", 1}, ArgumentCase{"x /Play y", 3},
                                           ArgumentCase{"--x=/pLaYer", 5}));

TEST(AutoPlayArguments, WithoutTheMarkNeitherHandOverNorResumeHappens) {
  for (const char* arguments : {"", "Play", "/Pla", "-play", "\\Play"}) {
    SCOPED_TRACE(arguments);
    AppWorld app;
    app.InsertThreeTrackDisc();
    app.WriteBookmark("A1B2C3D", "3\r\n12\r\n45\r\n");
    app.world.disks.AddFile("c:\\lyrabox\\killapp.exe", "");
    app.world.process.arguments = arguments;

    ASSERT_TRUE(app.Start());

    EXPECT_EQ(app.lifecycle.AutoPlayIndicator(), 0u);
    EXPECT_EQ(app.player.state.BmTrack, 0);  // the bookmark is not even read
    EXPECT_THAT(app.world.process.starts, IsEmpty());
    EXPECT_THAT(app.Commands(), ElementsAre("open cdaudio alias cd wait shareable",
                                            "set cd time format tmsf wait"));
  }
}

// --- A disc without a bookmark ------------------------------------------------------

TEST(AutoPlayHandOver, WaitsThenStartsTheOtherPlayerNormallyAndEndsUnseen) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.WriteBookmark("0", "1\r\n2\r\n3\r\n");  // another disc's bookmark is no help
  app.world.disks.AddFile("c:\\lyrabox\\killapp.exe", "");
  app.world.process.arguments = "/Play";

  EXPECT_FALSE(app.Start());

  // The one start, then the end: no device command, no box, and the window is never
  // shown (the timer was never even touched).
  EXPECT_THAT(app.world.journal, ElementsAre(std::string("start normal ") + kPlayer, "end"));
  ASSERT_EQ(app.world.process.starts.size(), 1u);
  EXPECT_EQ(app.world.process.starts[0].state, WindowState::NormalWithFocus);
  EXPECT_EQ(app.world.process.exitStatus, platform::ExitStatus::Success);
}

TEST(AutoPlayHandOver, PlayerThatCannotBeStartedIsReportedAndTheProgramEnds) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.world.process.arguments = "/Play";
  app.world.process.unstartable.insert(kPlayer);

  EXPECT_FALSE(app.Start());

  EXPECT_THAT(app.Commands(), IsEmpty());
  ASSERT_EQ(app.world.boxes.Messages().size(), 1u);
  EXPECT_THAT(app.world.boxes.Messages()[0], HasSubstr("File not found"));
  EXPECT_THAT(app.world.boxes.Messages()[0], HasSubstr(kPlayer));
  EXPECT_EQ(app.world.journal.back(), "end");
  EXPECT_EQ(app.world.process.exitStatus, platform::ExitStatus::Failure);
}

TEST(AutoPlayHandOver, UnreadableSerialLooksForTheBookmarkNamedZero) {
  AppWorld app;
  app.world.device.On("status cd media present", "false");
  app.WriteBookmark("0", "2\r\n0\r\n9\r\n");
  app.world.process.arguments = "/Play";

  ASSERT_TRUE(app.Start());

  EXPECT_EQ(app.player.state.BmTrack, 2);
  EXPECT_EQ(app.player.state.BmSec, 9);
  EXPECT_EQ(app.Commands().back(), "play cd from 02:00:09");
}

// --- A disc with a bookmark ---------------------------------------------------------

TEST(AutoPlayResume, WithoutKillProgramResumesAtTheBookmarkAfterOnePoll) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.WriteBookmark("A1B2C3D", "3\r\n12\r\n45\r\n");
  app.world.process.arguments = "/Play";

  ASSERT_TRUE(app.Start());

  EXPECT_THAT(app.world.process.starts, IsEmpty());
  EXPECT_THAT(app.Commands(),
              ::testing::ElementsAreArray(Concat(
                  Concat({"open cdaudio alias cd wait shareable", "set cd time format tmsf wait"},
                         kFirstPoll),
                  {"seek cd to 1", "play cd from 03:12:45"})));
  // The play goes out directly: no reply, no callback window, MciError untouched.
  const SentCommand& play = app.world.device.sent.back();
  EXPECT_EQ(play.replyLength, 0u);
  EXPECT_EQ(play.callback, 0u);
  const SentCommand& seek = app.world.device.sent[app.world.device.sent.size() - 2];
  EXPECT_EQ(seek.callback, app.world.window.handle);

  const PlayerState& state = app.player.state;
  EXPECT_EQ(state.BmTrack, 3);
  EXPECT_EQ(state.BmMin, 12);
  EXPECT_EQ(state.BmSec, 45);
  EXPECT_EQ(state.MciCmd, "play cd from 03:12:45");
  EXPECT_TRUE(state.Playing);
  EXPECT_TRUE(state.DiscReady);  // the poll scanned the disc
  // The timer comes on only after the play, so the resume's poll was the only one.
  EXPECT_EQ(app.world.journal.back(), "timer on");
  EXPECT_THAT(app.world.boxes.shown, IsEmpty());
}

TEST(AutoPlayResume, WithKillProgramStartsPlayerKillKillInThatOrder) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.WriteBookmark("A1B2C3D", "3\r\n12\r\n45\r\n");
  app.world.disks.AddFile("c:\\lyrabox\\killapp.exe", "");
  app.world.process.arguments = "x /Play y";

  ASSERT_TRUE(app.Start());

  std::vector<std::string> beforeOpen(
      app.world.journal.begin(),
      std::find(app.world.journal.begin(), app.world.journal.end(), "timer off"));
  EXPECT_THAT(beforeOpen, ElementsAre(std::string("start minimised ") + kPlayer,
                                      std::string("start minimised ") + kKill,
                                      std::string("start minimised ") + kKill));
  EXPECT_EQ(app.Commands().back(), "play cd from 03:12:45");
  EXPECT_TRUE(app.player.state.Playing);
}

TEST(AutoPlayResume, HiddenKillProgramDoesNotCount) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.WriteBookmark("A1B2C3D", "3\r\n12\r\n45\r\n");
  app.world.disks.AddFile("c:\\lyrabox\\killapp.exe", "", FakeDisks::Kind::Hidden);
  app.world.process.arguments = "/Play";

  ASSERT_TRUE(app.Start());

  EXPECT_THAT(app.world.process.starts, IsEmpty());
  EXPECT_EQ(app.Commands().back(), "play cd from 03:12:45");
}

TEST(AutoPlayResume, TrackZeroStillRunsTheKillStepsButPlaysNothing) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.WriteBookmark("A1B2C3D", "0\r\n5\r\n6\r\n");
  app.world.disks.AddFile("c:\\lyrabox\\killapp.exe", "");
  app.world.process.arguments = "/play";

  ASSERT_TRUE(app.Start());

  EXPECT_EQ(app.world.process.starts.size(), 3u);
  EXPECT_EQ(app.player.state.BmMin, 5);
  EXPECT_EQ(app.player.state.BmSec, 6);
  EXPECT_THAT(app.Commands(), ElementsAre("open cdaudio alias cd wait shareable",
                                          "set cd time format tmsf wait"));
  EXPECT_FALSE(app.player.state.Playing);
  EXPECT_TRUE(app.world.window.timerEnabled);
}

TEST(AutoPlayResume, FailedSeekIsShownAndThePlayStillGoesOut) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.world.device.On("seek cd to 1", "");        // the poll's own seek works
  app.world.device.Fail("seek cd to 1", 276);     // the resume's does not
  app.world.device.Fail("play cd from 03:12:45", 282);  // nor does the play
  app.WriteBookmark("A1B2C3D", "3\r\n12\r\n45\r\n");
  app.world.process.arguments = "/Play";

  ASSERT_TRUE(app.Start());

  // Only the seek is reported; the refused play shows nothing and leaves MciError.
  EXPECT_THAT(app.world.boxes.Messages(), ElementsAre("The device driver is not ready."));
  EXPECT_EQ(app.player.MciError, 276);
  EXPECT_EQ(app.Commands().back(), "play cd from 03:12:45");
  EXPECT_TRUE(app.player.state.Playing);
}

TEST(AutoPlayResume, BookmarkOfTheDriveThatTheDriveSettingNames) {
  AppWorld app;
  app.InsertThreeTrackDisc();  // drive d: holds another disc
  app.world.disks.AddFile("c:\\lyrabox\\lbx.ini", "e:\\\r\n");
  app.world.disks.SetSerial("e:\\", 0xBEEF);
  app.WriteBookmark("BEEF", "2\r\n1\r\n0\r\n");
  app.world.process.arguments = "/Play";

  ASSERT_TRUE(app.Start());

  EXPECT_EQ(app.Commands().back(), "play cd from 02:01:00");
}

TEST(AutoPlayHandOver, DamagedBookmarkFileCountsAsNoBookmark) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.WriteBookmark("A1B2C3D", "3\r\n12\r\n");  // the third field is missing
  app.world.process.arguments = "/Play";

  EXPECT_FALSE(app.Start());

  EXPECT_THAT(app.Commands(), IsEmpty());
  EXPECT_THAT(app.world.boxes.shown, IsEmpty());
  ASSERT_EQ(app.world.process.starts.size(), 1u);
  EXPECT_EQ(app.world.process.starts[0].commandLine, kPlayer);
}

// --- Starts that fail on the kill path ----------------------------------------------

TEST(AutoPlayKillPath, PlayerThatCannotBeStartedIsReportedAndTheDiscStillResumes) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.WriteBookmark("A1B2C3D", "3\r\n12\r\n45\r\n");
  app.world.disks.AddFile("c:\\lyrabox\\killapp.exe", "");
  app.world.process.arguments = "/Play";
  app.world.process.unstartable.insert(kPlayer);

  ASSERT_TRUE(app.Start());

  ASSERT_EQ(app.world.boxes.Messages().size(), 1u);
  EXPECT_THAT(app.world.boxes.Messages()[0], HasSubstr("File not found"));
  EXPECT_THAT(app.world.boxes.Messages()[0], HasSubstr(kPlayer));
  ASSERT_EQ(app.world.process.starts.size(), 2u);  // both kill starts were made
  EXPECT_EQ(app.world.process.starts[0].commandLine, kKill);
  EXPECT_EQ(app.world.process.starts[1].commandLine, kKill);
  EXPECT_EQ(app.Commands().back(), "play cd from 03:12:45");
  EXPECT_TRUE(app.player.state.Playing);
  EXPECT_FALSE(app.world.process.ended);
}

TEST(AutoPlayKillPath, KillProgramThatCannotBeStartedIsReportedEachTime) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.WriteBookmark("A1B2C3D", "3\r\n12\r\n45\r\n");
  app.world.disks.AddFile("c:\\lyrabox\\killapp.exe", "");
  app.world.process.arguments = "/Play";
  app.world.process.unstartable.insert(kKill);

  ASSERT_TRUE(app.Start());

  std::vector<std::string> messages = app.world.boxes.Messages();
  ASSERT_EQ(messages.size(), 2u);
  for (const std::string& message : messages) EXPECT_THAT(message, HasSubstr(kKill));
  EXPECT_EQ(app.Commands().back(), "play cd from 03:12:45");
}

TEST(AutoPlayPassThru, ReturnsWithTheBookmarkLoaded) {
  AppWorld app;
  app.InsertThreeTrackDisc();
  app.WriteBookmark("A1B2C3D", "4,0,30");
  app.lifecycle.LoadPassThru();
  EXPECT_EQ(app.player.state.BmTrack, 4);
  EXPECT_EQ(app.player.state.BmSec, 30);
  EXPECT_THAT(app.Commands(), IsEmpty());
}

}  // namespace
}  // namespace lyrabox::testing
