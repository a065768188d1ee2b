// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/demo_disc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "base/environment_names.h"
#include "cdaudio/device_setup.h"
#include "cdaudio/tray_return.h"
#include "device_fixture.h"
#include "tests/support/scoped_environment.h"

namespace lyrabox::cdaudio {
namespace {

std::vector<std::int16_t> Read(FrameAddress start, int frames) {
  std::vector<std::int16_t> samples(static_cast<std::size_t>(frames) * kInterleavedSamplesPerFrame);
  EXPECT_TRUE(GenerateDemoAudio(start, frames, samples));
  return samples;
}

double Loudness(const std::vector<std::int16_t>& samples) {
  double sum = 0;
  for (std::int16_t s : samples) sum += double(s) * s;
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

TEST(DemoDiscTest, TwelveTracksOfVariedLengthsMakeAFortyToSixtyMinuteDisc) {
  const TableOfContents& toc = DemoDiscContents();
  EXPECT_EQ(toc.TrackCount(), 12);
  EXPECT_EQ(toc.DiscStart(), FrameAddress{kLeadInFrames});
  EXPECT_TRUE(toc.PureAudio());
  const FrameCount length = toc.ReportedDiscLength();
  EXPECT_GT(length, FromMsf(40, 0, 0));
  EXPECT_LT(length, FromMsf(60, 0, 0));
  std::set<std::int64_t> lengths;
  for (int n = 1; n <= 12; ++n) {
    const FrameCount track = toc.ReportedTrackLength(TrackNumber{n});
    EXPECT_GE(track, FromMsf(2, 0, 0)) << "track " << n;
    EXPECT_LE(track, FromMsf(8, 0, 0)) << "track " << n;
    lengths.insert(track.value / kFramesPerSecond);
  }
  EXPECT_EQ(lengths.size(), 12u) << "every track has a length of its own";
}

TEST(DemoDiscTest, MusicIsTheSameEveryTimeAndQuietAtTheEndOfEachTrack) {
  const TableOfContents& toc = DemoDiscContents();
  for (int n = 1; n <= 12; ++n) {
    const FrameAddress start = toc.TrackStart(TrackNumber{n});
    const auto middle = Read(start + FromMsf(1, 0, 0), 75);
    EXPECT_GT(Loudness(middle), 500) << "track " << n;
    EXPECT_EQ(middle, Read(start + FromMsf(1, 0, 0), 75));
    const FrameAddress end = n == 12 ? toc.LeadOut() : toc.TrackStart(TrackNumber{n + 1});
    EXPECT_EQ(Loudness(Read(end - FrameCount{70}, 70)), 0) << "track " << n;
  }
  // Tracks differ from each other.
  EXPECT_NE(Read(toc.TrackStart(TrackNumber{1}) + FromMsf(0, 30, 0), 10),
            Read(toc.TrackStart(TrackNumber{2}) + FromMsf(0, 30, 0), 10));
}

TEST(DemoDiscTest, AudioIsOnlyReadFromTheDisc) {
  const TableOfContents& toc = DemoDiscContents();
  std::vector<std::int16_t> samples(2 * kInterleavedSamplesPerFrame);
  EXPECT_FALSE(GenerateDemoAudio(toc.DiscStart() - FrameCount{1}, 1, samples));
  EXPECT_FALSE(GenerateDemoAudio(toc.LastFrame(), 2, samples));
  EXPECT_TRUE(GenerateDemoAudio(toc.LastFrame(), 1, samples));
  EXPECT_FALSE(GenerateDemoAudio(toc.DiscStart(), 3, samples));  // buffer too small
}

TEST(DemoDiscTest, TheDoorTakesTheDiscOutAndPutsItBack) {
  DemoDrive drive;
  const std::uint64_t loads = drive.State().loadCount;
  std::vector<std::int16_t> samples(kInterleavedSamplesPerFrame);
  ASSERT_TRUE(drive.OpenDoor());
  EXPECT_EQ(drive.State().condition, DiscCondition::DoorOpen);
  EXPECT_FALSE(drive.State().contents);
  EXPECT_FALSE(drive.ReadAudio(FrameAddress{kLeadInFrames}, 1, samples));
  ASSERT_TRUE(drive.CloseDoor());
  EXPECT_EQ(drive.State().condition, DiscCondition::Ready);
  EXPECT_GT(drive.State().loadCount, loads);
  EXPECT_TRUE(drive.ReadAudio(FrameAddress{kLeadInFrames}, 1, samples));
}

class DemoDeviceTest : public testing::DeviceFixture {
 protected:
  DemoDeviceTest() : DeviceFixture(std::make_shared<DemoDrive>()) {}
};

TEST_F(DemoDeviceTest, AnswersThePlayersStartAndScan) {
  Open();
  Ask("set cd time format tmsf wait");
  EXPECT_EQ(Ask("status cd media present"), "true");
  EXPECT_EQ(Ask("status cd number of tracks wait"), "12");
  EXPECT_EQ(Ask("status cd length wait"),
            FormatMsf(ToMsf(DemoDiscContents().ReportedDiscLength())));
  EXPECT_EQ(Ask("status cd length track 1"), "03:42:17");
  EXPECT_EQ(Ask("status cd length track 12"), "07:05:65");
  Ask("seek cd to 1");
  EXPECT_EQ(Ask("status cd position"), "01:00:00:00");
  Ask("play cd from 05:01:07");
  Wait(2);
  EXPECT_EQ(Ask("status cd position"), "05:01:09:00");
  EXPECT_EQ(Ask("status cd mode"), "playing");
  Ask("set cd door open");
  EXPECT_EQ(Ask("status cd media present"), "false");
  EXPECT_EQ(device->Contents(), std::nullopt);
  EXPECT_FALSE(device->Disc());
  Ask("set cd door closed");
  EXPECT_EQ(device->Contents(), DemoDiscContents());
  // The demo disc names itself and each of its tracks.
  EXPECT_EQ(Ask("status cd title track 3"), "Study in B");
  const std::optional<ReadyDisc> disc = device->Disc();
  ASSERT_TRUE(disc && disc->text);
  EXPECT_EQ(disc->contents, DemoDiscContents());
  EXPECT_FALSE(disc->text->album.title.empty());
  EXPECT_EQ(disc->text->tracks.size(), 12u);
}

// After an eject the demo disc (and a disc image, behind the same tray) is back in a
// few seconds, as if the tray had been pushed in; a second eject meanwhile changes
// nothing. Made as both programs make it.
TEST(ReturningTrayTest, TheDiscIsBackAFewSecondsAfterTheEject) {
  const auto clock = std::make_shared<ManualClock>();
  ::lyrabox::testing::ScopedEnvironment disc(kDiscVariable, "DEMO");
  ::lyrabox::testing::ScopedEnvironment log(kMciLogVariable, nullptr);
  const auto device = OpenDevice({}, clock);
  auto ask = [&device](std::string_view command) {
    std::string reply;
    EXPECT_EQ(device->Send(command, reply), 0u) << command;
    return reply;
  };
  ask("open cdaudio alias cd wait shareable");
  ask("set cd door open");
  EXPECT_EQ(ask("status cd mode"), "open");
  clock->Advance(std::chrono::seconds(1));
  ask("set cd door open");
  clock->Advance(kTrayReturnDelay - std::chrono::seconds(1) - std::chrono::milliseconds(1));
  EXPECT_EQ(ask("status cd media present"), "false");
  clock->Advance(std::chrono::milliseconds(1));
  EXPECT_EQ(ask("status cd media present"), "true");
  EXPECT_EQ(ask("status cd mode"), "stopped");
}

}  // namespace
}  // namespace lyrabox::cdaudio
