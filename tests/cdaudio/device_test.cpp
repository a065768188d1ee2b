// SPDX-License-Identifier: GPL-3.0-or-later
// The command vocabulary on a scripted three-track disc (tracks at 00:02:00, 04:17:32
// and 09:05:70, lead-out at 13:20:10), with a clock moved by hand.
#include <gtest/gtest.h>

#include "cdaudio/frames.h"
#include "cdaudio/result_codes.h"
#include "device_fixture.h"

namespace lyrabox::cdaudio {
namespace {

using testing::DeviceFixture;

class DeviceTest : public DeviceFixture {};

TEST_F(DeviceTest, OpeningAnswersTheDeviceIdAndRestsAtTheFirstTrackInMsf) {
  EXPECT_EQ(Code("status cd mode"), kInvalidDeviceName);
  Open();
  EXPECT_EQ(Ask("status cd time format"), "msf");
  EXPECT_EQ(Ask("status cd position"), "00:02:00");
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(Ask("status cd current track"), "1");
}

TEST_F(DeviceTest, TheAliasIsOpenFromOpenUntilClose) {
  EXPECT_EQ(Code("open cdaudio alias"), kMissingParameter);
  EXPECT_EQ(Code("open waveaudio alias cd"), kInvalidDeviceName);
  // Without an alias the device goes by its type; any alias will do.
  EXPECT_EQ(Ask("open cdaudio"), "1");
  EXPECT_EQ(Ask("status cdaudio mode"), "stopped");
  EXPECT_EQ(Code("status cd mode"), kInvalidDeviceName);
  EXPECT_EQ(Ask("close cdaudio"), "");
  EXPECT_EQ(Ask("open cdaudio alias Music"), "1");
  EXPECT_EQ(Ask("status music number of tracks"), "3");
  EXPECT_EQ(Ask("close music"), "");
  EXPECT_EQ(Code("open cdaudio alias cd bogus"), kUnrecognizedKeyword);
  Open();
  EXPECT_EQ(Code("open cdaudio alias cd wait shareable"), kDuplicateAlias);
  EXPECT_EQ(Ask("close cd"), "");
  EXPECT_EQ(Code("status cd mode"), kInvalidDeviceName);
  EXPECT_EQ(Code("close cd"), kInvalidDeviceName);
  EXPECT_EQ(Ask("close all"), "");
  EXPECT_EQ(Ask("close all wait"), "");
  Open();
  EXPECT_EQ(Ask("status cd media present"), "true");
  EXPECT_EQ(Ask("close all"), "");
  EXPECT_EQ(Code("play cd"), kInvalidDeviceName);
}

TEST_F(DeviceTest, ReopeningStartsOverInMsfAtTheFirstTrack) {
  OpenInTmsf();
  Ask("play cd from 2");
  Wait(3);
  Ask("close all");
  Open();
  EXPECT_EQ(Ask("status cd time format"), "msf");
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(Ask("status cd position"), "00:02:00");
}

TEST_F(DeviceTest, KeywordsAreReadInAnyLetterCaseAndSpacing) {
  EXPECT_EQ(Ask("OPEN CDAUDIO ALIAS CD WAIT SHAREABLE"), "1");
  EXPECT_EQ(Ask("Status Cd Number Of Tracks Wait"), "3");
  Ask("SET CD TIME FORMAT MS");
  EXPECT_EQ(Ask("status cd time format"), "milliseconds");
  Ask("set cd time format TMSF wait notify");
  EXPECT_EQ(Ask("status\tcd   position  "), "01:00:00:00");
  Ask("Play cD From 2");
  EXPECT_EQ(Ask("STATUS CD MODE"), "playing");
}

TEST_F(DeviceTest, StatusRepliesDescribeTheDisc) {
  Open();
  EXPECT_EQ(Ask("status cd media present"), "true");
  EXPECT_EQ(Ask("status cd ready"), "true");
  EXPECT_EQ(Ask("status cd number of tracks wait"), "3");
  // Lengths are mm:ss:ff in MSF and TMSF alike; the last track and the disc are one
  // frame short of the lead-out.
  for (const char* format : {"msf", "tmsf"}) {
    Ask(std::string("set cd time format ") + format);
    EXPECT_EQ(Ask("status cd length wait"), "13:18:09");
    EXPECT_EQ(Ask("status cd length track 1"), "04:15:32");
    EXPECT_EQ(Ask("status cd length track 2"), "04:48:38");
    EXPECT_EQ(Ask("status cd length track 3"), "04:14:14");
  }
  EXPECT_EQ(Ask("status cd position track 2"), "02:00:00:00");
  Ask("set cd time format milliseconds");
  EXPECT_EQ(Ask("status cd length"), "798120");
  EXPECT_EQ(Ask("status cd length track 1"), "255426");
  EXPECT_EQ(Ask("status cd position track 2"), "257427");
  EXPECT_EQ(Ask("status cd time format"), "milliseconds");
  Ask("set cd time format msf");
  EXPECT_EQ(Ask("status cd position track 3"), "09:05:70");
}

TEST_F(DeviceTest, PositionsAreRepliedInTheCurrentFormat) {
  Open();
  Ask("set cd time format tmsf");
  Ask("seek cd to 2:0:42:43");
  EXPECT_EQ(Ask("status cd position"), "02:00:42:43");
  Ask("set cd time format msf");
  EXPECT_EQ(Ask("status cd position"), "05:00:00");
  Ask("set cd time format ms");
  EXPECT_EQ(Ask("status cd position"), "300001");
  Ask("seek cd to 2001");
  Ask("set cd time format tmsf");
  EXPECT_EQ(Ask("status cd position"), "01:00:00:00");
}

TEST_F(DeviceTest, PositionsInCommandsFollowTheTimeFormat) {
  OpenInTmsf();
  Ask("seek cd to 3");  // a bare number is a track in TMSF
  EXPECT_EQ(Ask("status cd position"), "03:00:00:00");
  Ask("seek cd to 2:1:30");  // track, minutes, seconds
  EXPECT_EQ(Ask("status cd position"), "02:01:30:00");
  Ask("seek cd to 1:0:90:80");  // fields need not be normalised
  EXPECT_EQ(Ask("status cd position"), "01:01:31:05");
  Ask("seek cd to 1:5:0");  // may run on into the next track
  EXPECT_EQ(Ask("status cd position"), "02:00:44:43");
  Ask("set cd time format msf");
  Ask("seek cd to 5");  // a bare number is minutes in MSF
  EXPECT_EQ(Ask("status cd position"), "05:00:00");
  Ask("seek cd to 0:2:1");
  EXPECT_EQ(Ask("status cd position"), "00:02:01");
  Ask("seek cd to 13:20:9");  // the last frame before the lead-out
  EXPECT_EQ(Ask("status cd position"), "13:20:09");
  Ask("seek cd to start");
  EXPECT_EQ(Ask("status cd position"), "00:02:00");
  Ask("seek cd to end");
  EXPECT_EQ(Ask("status cd position"), "13:20:09");
}

TEST_F(DeviceTest, PlayMovesThePositionWithTheClock) {
  OpenInTmsf();
  Ask("play cd from 2");
  EXPECT_EQ(Ask("status cd mode"), "playing");
  Wait(61.5);
  EXPECT_EQ(Ask("status cd position"), "02:01:01:37");
  EXPECT_EQ(Ask("status cd current track"), "2");
  Wait(300);  // on into track 3
  EXPECT_EQ(Ask("status cd current track"), "3");
  EXPECT_EQ(Ask("status cd position"), "03:01:12:74");
}

TEST_F(DeviceTest, PauseKeepsThePositionAndPlayOrResumeGoOnFromIt) {
  OpenInTmsf();
  Ask("play cd");
  Wait(10);
  Ask("pause cd");
  EXPECT_EQ(Ask("status cd mode"), "paused");
  Wait(5);
  EXPECT_EQ(Ask("status cd position"), "01:00:10:00");
  Ask("play cd");
  Wait(1);
  EXPECT_EQ(Ask("status cd mode"), "playing");
  EXPECT_EQ(Ask("status cd position"), "01:00:11:00");
  Ask("pause cd");
  Ask("resume cd");
  Wait(1);
  EXPECT_EQ(Ask("status cd position"), "01:00:12:00");
}

TEST_F(DeviceTest, ResumeAfterPauseKeepsTheEndOfThePlay) {
  OpenInTmsf();
  Ask("play cd from 1:4:10 to 2");
  Wait(2);
  Ask("pause cd");
  Ask("resume cd");
  Wait(60);
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(Ask("status cd position"), "02:00:00:00");
}

TEST_F(DeviceTest, StopKeepsThePositionAndSeekMovesWithoutPlaying) {
  OpenInTmsf();
  Ask("play cd from 2");
  Wait(4);
  Ask("stop cd wait");
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  Wait(10);
  EXPECT_EQ(Ask("status cd position"), "02:00:04:00");
  Ask("seek cd to 3");
  Wait(10);
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(Ask("status cd position"), "03:00:00:00");
  Ask("play cd");
  Ask("pause cd");
  Ask("seek cd to 1");  // a seek leaves a paused disc stopped
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  Ask("pause cd");  // nothing to pause
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  // Nothing paused to resume: the drive refuses, as the real device reports.
  EXPECT_EQ(Code("resume cd"), kHardware);
  EXPECT_EQ(Ask("status cd mode"), "stopped");
}

TEST_F(DeviceTest, AnswersTheRestOfTheStandardSet) {
  Open();
  const std::pair<const char*, const char*> answers[] = {
      {"capability cd can play", "true"},      {"capability cd can eject", "true"},
      {"capability cd has audio", "true"},     {"capability cd can record", "false"},
      {"capability cd can save", "false"},     {"capability cd has video", "false"},
      {"capability cd uses files", "false"},   {"capability cd compound device", "false"},
      {"capability cd device type", "cdaudio"}, {"info cd product", "CD-Audio"},
      {"info cd identity", "858214"},          {"info cd product identity", "CD-Audio"},
      {"status cd position start", "00:02:00"}, {"status cd type track 2", "audio"},
      {"set cd audio all off", ""},            {"set cd audio left on wait", ""},
      {"set cd video on", ""},
  };
  for (const auto& [command, answer] : answers) EXPECT_EQ(Ask(command), answer) << command;
  EXPECT_EQ(Code("info cd upc"), kNoIdentity);
  EXPECT_EQ(Code("capability cd"), kMissingParameter);
  EXPECT_EQ(Code("capability cd can play can eject"), kFlagsNotCompatible);
  EXPECT_EQ(Code("status cd position start track 1"), kFlagsNotCompatible);
  EXPECT_EQ(Code("status cd type"), kMissingParameter);
  EXPECT_EQ(Code("set cd audio up off"), kBadConstant);
  EXPECT_EQ(Code("set cd video on off"), kFlagsNotCompatible);
  Ask("set cd door open");
  EXPECT_EQ(Code("info cd identity"), kDeviceNotReady);
}

TEST_F(DeviceTest, PlayToStopsThereAndRestsThere) {
  OpenInTmsf();
  Ask("play cd from 1 to 2");
  Wait(300);
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(Ask("status cd position"), "02:00:00:00");
  Ask("play cd to 2:0:2");
  Wait(5);
  EXPECT_EQ(Ask("status cd position"), "02:00:02:00");
  Ask("play cd from 2 to 2");  // nothing to play
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(Ask("status cd position"), "02:00:00:00");
}

TEST_F(DeviceTest, PlayingToTheEndStopsAtTheLastFrameAndPlayStartsOver) {
  OpenInTmsf();
  Ask("play cd from 3:4:10");
  Wait(10);
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(Ask("status cd position"), "03:04:14:14");
  EXPECT_EQ(Ask("status cd current track"), "3");
  Ask("play cd");
  EXPECT_EQ(Ask("status cd mode"), "playing");
  EXPECT_EQ(Ask("status cd position"), "01:00:00:00");
}

TEST_F(DeviceTest, PlayWithWaitReturnsWhenThePlayHasEnded) {
  OpenInTmsf();
  const auto before = clock->Now();
  Ask("play cd from 3:4:10 wait");
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(Ask("status cd position"), "03:04:14:14");
  // It played up to the lead-out, and rests on the last frame before it.
  EXPECT_EQ(FramesPlayedIn(clock->Now() - before), FromMsf(0, 4, 15));
}

TEST_F(DeviceTest, MillisecondPositionsRoundTrip) {
  Open();
  Ask("set cd time format milliseconds");
  EXPECT_EQ(Ask("status cd position"), "2001");
  // Every reply, sent back as a position, names the same frame.
  for (std::int64_t frame = 150; frame < 60010; frame += 997) {
    const std::string ms = std::to_string(PositionToMilliseconds(FrameAddress{frame}));
    Ask("seek cd to " + ms);
    ASSERT_EQ(Ask("status cd position"), ms);
  }
  // Fast forward and rewind add and take off whole seconds.
  Ask("seek cd to 130001");
  Ask("play cd from 135001");
  Ask("set cd time format tmsf");
  EXPECT_EQ(Ask("status cd position"), "01:02:13:00");
  Ask("set cd time format milliseconds");
  EXPECT_EQ(Code("seek cd to -2000"), kOutOfRange);
  EXPECT_EQ(Ask("status cd mode"), "playing");
}

TEST_F(DeviceTest, AnOpenDoorRefusesWhatNeedsTheDisc) {
  OpenInTmsf();
  Ask("play cd from 2");
  Ask("set cd door open");
  EXPECT_EQ(scripted->DoorOpenRequests(), 1);
  EXPECT_EQ(Ask("status cd mode"), "open");
  EXPECT_EQ(Ask("status cd media present"), "false");
  EXPECT_EQ(Ask("status cd ready"), "false");
  EXPECT_EQ(Ask("status cd time format"), "tmsf");
  for (const char* command :
       {"play cd", "play cd from 2", "seek cd to 1", "resume cd", "status cd position",
        "status cd length", "status cd length track 1", "status cd number of tracks wait",
        "status cd current track", "status cd position track 1"}) {
    EXPECT_EQ(Code(command), kDeviceNotReady) << command;
  }
  // Stopping and pausing have nothing to do and succeed, so that a player closing
  // without a disc shows no error.
  Ask("stop cd wait");
  Ask("pause cd");
  Ask("set cd time format msf");
  Ask("set cd door open");
  Ask("set cd door closed");
  EXPECT_EQ(scripted->DoorCloseRequests(), 1);
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(Ask("status cd position"), "00:02:00");
}

TEST_F(DeviceTest, ADoorThatWillNotMoveIsAHardwareErrorAndChangesNothing) {
  OpenInTmsf();
  Ask("play cd");
  scripted->RefuseDoor(true);
  EXPECT_EQ(Code("set cd door open time format msf"), kHardware);
  EXPECT_EQ(Ask("status cd mode"), "playing");
  EXPECT_EQ(Ask("status cd time format"), "tmsf");
}

TEST_F(DeviceTest, TheDeviceFollowsDiscsChangedAtTheDrive) {
  OpenInTmsf();
  Ask("play cd from 2");
  scripted->EjectByHand();
  EXPECT_EQ(Ask("status cd mode"), "open");
  scripted->RemoveDisc();
  EXPECT_EQ(Ask("status cd mode"), "not ready");
  EXPECT_EQ(Ask("status cd media present"), "false");
  scripted->InsertDisc(testing::TwoTrackDisc(), /*stillReading=*/true);
  EXPECT_EQ(Ask("status cd mode"), "not ready");
  EXPECT_EQ(Code("status cd number of tracks"), kDeviceNotReady);
  scripted->FinishReading();
  EXPECT_EQ(Ask("status cd media present"), "true");
  EXPECT_EQ(Ask("status cd number of tracks"), "2");
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(Ask("status cd position"), "01:00:00:00");
  // The same disc put in again is a new load: back to its start.
  Ask("seek cd to 2");
  scripted->InsertDisc(testing::TwoTrackDisc());
  EXPECT_EQ(Ask("status cd position"), "01:00:00:00");
  // Changed since "media present" last said true: absent once, so that a poll sees
  // the old disc go and the new one come.
  EXPECT_EQ(Ask("status cd media present"), "false");
  EXPECT_EQ(Ask("status cd media present"), "true");
  EXPECT_EQ(Ask("status cd media present"), "true");
}

TEST_F(DeviceTest, UnsupportedAndUnknownCommandsAreRefusedAfterTheDeviceName) {
  EXPECT_EQ(Code("record cd"), kInvalidDeviceName);
  Open();
  EXPECT_EQ(Code("record cd"), kUnsupportedFunction);
  EXPECT_EQ(Code("record foo"), kInvalidDeviceName);
  EXPECT_EQ(Code("frobnicate cd"), kUnrecognizedCommand);
  // A bad keyword for a device that is not open is "not open" first.
  EXPECT_EQ(Code("status dc volume"), kInvalidDeviceName);
}

struct Refusal {
  const char* format;
  const char* command;
  std::uint32_t code;
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
  *out << refusal.format << " \"" << refusal.command << "\" -> " << refusal.code;
}

class RefusalTest : public DeviceFixture, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, IsRefusedWithItsCodeAndChangesNothing) {
  OpenInTmsf();
  Ask("play cd from 2:0:0");
  Wait(1);
  Ask("pause cd");
  Ask(std::string("set cd time format ") + GetParam().format);
  const std::string position = Ask("status cd position");

  EXPECT_EQ(Code(GetParam().command), GetParam().code);
  EXPECT_FALSE(ErrorText(GetParam().code).empty());
  EXPECT_EQ(Ask("status cd mode"), "paused");
  EXPECT_EQ(Ask("status cd position"), position);
  EXPECT_EQ(Ask("status cd time format"),
            std::string(GetParam().format) == "ms" ? "milliseconds" : GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, RefusalTest,
    ::testing::Values(
        Refusal{"tmsf", "seek cd to 0", kOutOfRange},
        Refusal{"tmsf", "seek cd to 4", kOutOfRange},
        Refusal{"tmsf", "seek cd to 256", kOutOfRange},
        Refusal{"tmsf", "seek cd to -1", kOutOfRange},
        Refusal{"tmsf", "seek cd to 0:1:0:0", kOutOfRange},
        Refusal{"tmsf", "seek cd to 4:0:0:0", kOutOfRange},
        Refusal{"tmsf", "seek cd to 3:4:14:15", kOutOfRange},  // the lead-out
        Refusal{"tmsf", "seek cd to 3:9", kOutOfRange},
        Refusal{"tmsf", "seek cd to 1:256", kBadInteger},
        Refusal{"tmsf", "seek cd to 1:2:3:4:5", kBadInteger},
        Refusal{"tmsf", "seek cd to :1", kBadInteger},
        Refusal{"tmsf", "seek cd to 1::2", kBadInteger},
        Refusal{"tmsf", "seek cd to 1:", kBadInteger},
        Refusal{"tmsf", "seek cd to 0x2", kBadInteger},
        Refusal{"tmsf", "seek cd to -1:2", kBadInteger},
        Refusal{"tmsf", "seek cd to 1:-2", kBadInteger},
        Refusal{"tmsf", "seek cd to +2", kBadInteger},
        Refusal{"tmsf", "seek cd to two", kBadInteger},
        Refusal{"tmsf", "seek cd to 4294967296", kBadInteger},
        Refusal{"tmsf", "seek cd to -", kBadInteger},
        Refusal{"tmsf", "seek cd to", kBadInteger},
        Refusal{"tmsf", "play cd from", kBadInteger},
        Refusal{"tmsf", "play cd from 2 to", kBadInteger},
        Refusal{"tmsf", "play cd from 5", kOutOfRange},
        Refusal{"tmsf", "play cd from 2 to 1", kOutOfRange},
        Refusal{"tmsf", "play cd to 1", kOutOfRange},
        Refusal{"tmsf", "play cd from 1 to 4", kOutOfRange},
        Refusal{"tmsf", "status cd length track 4", kOutOfRange},
        Refusal{"tmsf", "status cd length track 0", kOutOfRange},
        Refusal{"tmsf", "status cd position track 9", kOutOfRange},
        Refusal{"tmsf", "status cd length track -1", kOutOfRange},
        Refusal{"tmsf", "status cd length track x", kBadInteger},
        Refusal{"tmsf", "status cd length track", kBadInteger},
        Refusal{"tmsf", "status cd length track 1:2", kBadInteger},
        Refusal{"msf", "seek cd to 0", kOutOfRange},
        Refusal{"msf", "seek cd to 0:1:74", kOutOfRange},
        Refusal{"msf", "seek cd to 13:20:10", kOutOfRange},
        Refusal{"msf", "seek cd to 14", kOutOfRange},
        Refusal{"msf", "seek cd to 1:2:3:4", kBadInteger},
        Refusal{"ms", "seek cd to 0", kOutOfRange},
        Refusal{"ms", "seek cd to 1000", kOutOfRange},
        Refusal{"ms", "seek cd to -2000", kOutOfRange},
        Refusal{"ms", "seek cd to 800134", kOutOfRange},  // the lead-out
        Refusal{"ms", "play cd from 2001 to 1000", kOutOfRange},
        Refusal{"ms", "seek cd to 1:2", kBadInteger}));

INSTANTIATE_TEST_SUITE_P(
    Words, RefusalTest,
    ::testing::Values(
        Refusal{"tmsf", "", kUnrecognizedCommand},
        Refusal{"tmsf", "   \t ", kUnrecognizedCommand},
        Refusal{"tmsf", "frobnicate cd", kUnrecognizedCommand},
        Refusal{"tmsf", "status cd mode\x01", kUnrecognizedCommand},
        Refusal{"tmsf", "status cd m\xe9" "de", kUnrecognizedCommand},
        Refusal{"tmsf", "status cd mode\n", kUnrecognizedCommand},
        Refusal{"tmsf", "play", kMissingParameter},
        Refusal{"tmsf", "status dc mode", kInvalidDeviceName},
        Refusal{"tmsf", "stop all", kInvalidDeviceName},
        Refusal{"tmsf", "status cd", kMissingParameter},
        Refusal{"tmsf", "status cd volume", kUnrecognizedKeyword},
        Refusal{"tmsf", "status cd mode position", kFlagsNotCompatible},
        Refusal{"tmsf", "status cd mode track 2", kFlagsNotCompatible},
        Refusal{"tmsf", "status cd track 2", kMissingParameter},
        Refusal{"tmsf", "status cd number of", kUnrecognizedKeyword},
        Refusal{"tmsf", "set cd", kMissingParameter},
        Refusal{"tmsf", "set cd wait", kMissingParameter},
        Refusal{"tmsf", "set cd time format", kMissingParameter},
        Refusal{"tmsf", "set cd time format frames", kBadTimeFormat},
        Refusal{"tmsf", "set cd time", kUnrecognizedKeyword},
        Refusal{"tmsf", "set cd door", kUnrecognizedKeyword},
        Refusal{"tmsf", "set cd door open door closed", kFlagsNotCompatible},
        Refusal{"tmsf", "seek cd", kMissingParameter},
        Refusal{"tmsf", "seek cd wait", kMissingParameter},
        Refusal{"tmsf", "seek cd to start to 2", kFlagsNotCompatible},
        Refusal{"tmsf", "seek cd to 2 to end", kFlagsNotCompatible},
        Refusal{"tmsf", "play cd from 1 from 2", kFlagsNotCompatible},
        Refusal{"tmsf", "pause cd shareable", kUnrecognizedKeyword},
        Refusal{"tmsf", "play cd at 3", kUnrecognizedKeyword},
        Refusal{"tmsf", "close cd now", kUnrecognizedKeyword},
        Refusal{"tmsf", "close all now", kUnrecognizedKeyword}));

TEST_F(DeviceTest, AnOverlongCommandIsRefused) {
  Open();
  EXPECT_EQ(Code("status cd mode " + std::string(kMaxCommandLength, 'x')),
            kUnrecognizedCommand);
  EXPECT_EQ(Code("status cd mode" + std::string(kMaxCommandLength, ' ')),
            kUnrecognizedCommand);
}

TEST_F(DeviceTest, WithoutADriveOpeningFailsAsTheRealDeviceDoesWithNoCdDrive) {
  auto lonely = CreateDevice(nullptr, clock);
  std::string reply;
  EXPECT_EQ(lonely->Send("open cdaudio alias cd wait shareable", reply), kCannotLoadDriver);
  EXPECT_EQ(lonely->Send("status cd mode", reply), kInvalidDeviceName);
  EXPECT_EQ(lonely->Send("close all", reply), 0u);
  EXPECT_FALSE(lonely->Contents());
}

TEST_F(DeviceTest, TheContentsAreTheDiscsInTheDriveWhetherOpenOrNot) {
  EXPECT_EQ(device->Contents(), testing::ThreeTrackDisc());
  Open();
  Ask("set cd door open");
  EXPECT_FALSE(device->Contents());
  scripted->InsertDisc(testing::TwoTrackDisc(), /*stillReading=*/true);
  EXPECT_FALSE(device->Contents());
  scripted->FinishReading();
  EXPECT_EQ(device->Contents(), testing::TwoTrackDisc());
}

}  // namespace
}  // namespace lyrabox::cdaudio
