// SPDX-License-Identifier: GPL-3.0-or-later
// A cue sheet and its bin file, written by the test, read through libcdio: the
// table of contents, the audio, the door, and a file that changes.
#include "cdaudio/linux/image_drive.h"
#include "cdaudio/linux/cdio_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "device_fixture.h"

namespace lyrabox::cdaudio {
namespace {

namespace fs = std::filesystem;

// The sample a test image holds at `frame` of its bin file, sample `index` of the
// frame's interleaved samples.
std::int16_t ImageSample(std::int64_t frame, std::size_t index) {
  return static_cast<std::int16_t>(frame * 64 + static_cast<std::int64_t>(index % 61) -
                                   (index % 2 == 0 ? 0 : 20000));
}

class ImageFolder {
 public:
  ImageFolder() {
    static int made = 0;
    path_ = fs::path(::testing::TempDir()) /
            ("lyrabox-cdaudio-" + std::to_string(::getpid()) + "-" + std::to_string(made++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ImageFolder() { fs::remove_all(path_); }

  // A bin of `frames` frames of the pattern above, and a cue sheet whose tracks
  // start at the given frames of the bin.
  std::string Write(std::int64_t frames, const std::vector<std::int64_t>& trackStarts,
                    const std::string& name = "disc") {
    std::ofstream bin(path_ / (name + ".bin"), std::ios::binary);
    for (std::int64_t f = 0; f < frames; ++f) {
      for (std::size_t i = 0; i < kInterleavedSamplesPerFrame; ++i) {
        const auto sample = static_cast<std::uint16_t>(ImageSample(f, i));
        bin.put(static_cast<char>(sample & 0xff));
        bin.put(static_cast<char>(sample >> 8));
      }
    }
    std::ofstream cue(path_ / (name + ".cue"));
    cue << "FILE \"" << name << ".bin\" BINARY\n";
    for (std::size_t t = 0; t < trackStarts.size(); ++t) {
      const Msf at = ToMsf(FrameCount{trackStarts[t]});
      char line[64];
      std::snprintf(line, sizeof line, "  TRACK %02zu AUDIO\n    INDEX 01 %02lld:%02lld:%02lld\n",
                    t + 1, static_cast<long long>(at.minute), static_cast<long long>(at.second),
                    static_cast<long long>(at.frame));
      cue << line;
    }
    return (path_ / (name + ".cue")).string();
  }
  fs::path Path() const { return path_; }

 private:
  fs::path path_;
};

TEST(CdioImageTest, ReadsTheTableOfContentsOfACueSheet) {
  ImageFolder folder;
  auto drive = ImageDrive::Open(folder.Write(488, {0, 150, 375}),
                                   Watching::ByHand);
  const DriveState state = drive->State();
  ASSERT_EQ(state.condition, DiscCondition::Ready);
  ASSERT_TRUE(state.contents);
  const TableOfContents& toc = *state.contents;
  EXPECT_EQ(toc.TrackCount(), 3);
  EXPECT_EQ(toc.TrackStart(TrackNumber{1}), FrameAddress{150});
  EXPECT_EQ(toc.TrackStart(TrackNumber{2}), FrameAddress{300});
  EXPECT_EQ(toc.TrackStart(TrackNumber{3}), FrameAddress{525});
  EXPECT_EQ(toc.LeadOut(), FrameAddress{638});
  EXPECT_TRUE(toc.PureAudio());
}

// A cue sheet's TITLE and PERFORMER lines are the disc's text: the album's before the
// first track, a track's within it; a sheet without them gives no text.
TEST(CdioImageTest, ReadsTheDiscsTextFromTheCueSheet) {
  ImageFolder folder;
  const std::string plain = folder.Write(488, {0, 150, 375});
  EXPECT_FALSE(ImageDrive::Open(plain, Watching::ByHand)->State().text);

  // The same disc with text (libcdio takes the bin file named like the sheet).
  const std::string withText = folder.Write(488, {0, 150, 375}, "text");
  std::ofstream(withText)
      << "PERFORMER \"The Testers\"\nTITLE \"Sheet Music\"\nFILE \"text.bin\" BINARY\n"
         "  TRACK 01 AUDIO\n    TITLE \"Opening\"\n    PERFORMER \"Solo\"\n"
         "    INDEX 01 00:00:00\n"
         "  TRACK 02 AUDIO\n    INDEX 01 00:02:00\n"
         "  TRACK 03 AUDIO\n    TITLE \"  Coda \"\n    INDEX 01 00:05:00\n";
  auto drive = ImageDrive::Open(withText, Watching::ByHand);
  ASSERT_TRUE(drive->State().text);
  DiscText expected;
  expected.album = {"Sheet Music", "The Testers"};
  expected.tracks[1] = {"Opening", "Solo"};
  expected.tracks[3] = {"Coda", ""};
  EXPECT_EQ(*drive->State().text, expected);
  drive->OpenDoor();
  EXPECT_FALSE(drive->State().text);
}

// A field of the sheet's text is UTF-8 where its bytes are valid UTF-8 and Latin-1
// where they are not, each field on its own, whatever libcdio makes of them; a field
// too long to lay out is cut between characters.
TEST(CdioImageTest, CueTextIsUtf8WhereValidAndLatin1Elsewhere) {
  const auto repeated = [](std::string_view text, int times) {
    std::string made;
    while (times-- > 0) made += text;
    return made;
  };
  const struct {
    std::string bytes;
    std::string shown;
  } fields[] = {
      {"Caf\xc3\xa9 Noir", "Caf\u00e9 Noir"},                        // UTF-8
      {"Z\xfcrich", "Z\u00fcrich"},                                  // Latin-1
      {"Caf\xc3\xa9 \xe9t\xe9", "Caf\u00c3\u00a9 \u00e9t\u00e9"},  // not UTF-8 throughout
      {"\xe6\x97\xa5\xe6\x9c\xac", "\u65e5\u672c"},                // beyond Latin-1
      {"One\x07Two\x85Three", "One Two Three"},                     // C0 and C1 controls
      {"x" + repeated("\xc3\xa9", 1000), "x" + repeated("\u00e9", 511)},  // cut to 1 KB
  };
  ImageFolder folder;
  const std::string cue = folder.Write(488, {0}, "text");
  std::ofstream sheet(cue);
  sheet << "FILE \"text.bin\" BINARY\n";
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    sheet << "  TRACK 0" << i + 1 << " AUDIO\n    TITLE \"" << fields[i].bytes
          << "\"\n    INDEX 01 00:0" << i << ":00\n";
  }
  sheet.close();
  auto drive = ImageDrive::Open(cue, Watching::ByHand);
  ASSERT_TRUE(drive->State().text);
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    EXPECT_EQ(drive->State().text->Track(static_cast<int>(i) + 1).title, fields[i].shown)
        << fields[i].bytes;
  }
}

TEST(CdioImageTest, ReadsTheAudioOfTheBinFile) {
  ImageFolder folder;
  auto drive = ImageDrive::Open(folder.Write(488, {0, 150, 375}),
                                   Watching::ByHand);
  std::vector<std::int16_t> samples(3 * kInterleavedSamplesPerFrame);
  ASSERT_TRUE(drive->ReadAudio(FrameAddress{150 + 200}, 3, samples));
  for (std::size_t f = 0; f < 3; ++f) {
    for (std::size_t i = 0; i < kInterleavedSamplesPerFrame; i += 97) {
      ASSERT_EQ(samples[f * kInterleavedSamplesPerFrame + i],
                ImageSample(200 + static_cast<std::int64_t>(f), i));
    }
  }
  EXPECT_TRUE(drive->ReadAudio(FrameAddress{637}, 1, samples));
  EXPECT_FALSE(drive->ReadAudio(FrameAddress{637}, 2, samples));
  EXPECT_FALSE(drive->ReadAudio(FrameAddress{149}, 1, samples));
}

TEST(CdioImageTest, AnImageTakenOutComesBackWithTheDoorOrANewFile) {
  ImageFolder folder;
  const std::string cue = folder.Write(488, {0, 150, 375});
  auto drive = ImageDrive::Open(cue, Watching::ByHand);
  const std::uint64_t firstLoad = drive->State().loadCount;

  ASSERT_TRUE(drive->OpenDoor());
  EXPECT_EQ(drive->State().condition, DiscCondition::DoorOpen);
  drive->Refresh();  // the file has not changed: the disc stays out
  EXPECT_EQ(drive->State().condition, DiscCondition::DoorOpen);
  std::vector<std::int16_t> samples(kInterleavedSamplesPerFrame);
  EXPECT_FALSE(drive->ReadAudio(FrameAddress{150}, 1, samples));

  ASSERT_TRUE(drive->CloseDoor());
  EXPECT_EQ(drive->State().condition, DiscCondition::Ready);
  EXPECT_GT(drive->State().loadCount, firstLoad);
  EXPECT_TRUE(drive->ReadAudio(FrameAddress{150}, 1, samples));

  // A new image written over the old one is a new disc, door or no door.
  drive->OpenDoor();
  folder.Write(300, {0, 100});
  drive->Refresh();
  ASSERT_EQ(drive->State().condition, DiscCondition::Ready);
  EXPECT_EQ(drive->State().contents->TrackCount(), 2);

  fs::remove(cue);
  ::testing::internal::CaptureStderr();
  drive->Refresh();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(drive->State().condition, DiscCondition::NoDisc);
  EXPECT_NE(said.find(cue + " cannot be read"), std::string::npos) << said;
}

TEST(CdioImageTest, TheBinFileNamesTheSameImage) {
  ImageFolder folder;
  folder.Write(488, {0, 150, 375});
  auto drive = ImageDrive::Open((folder.Path() / "disc.bin").string(),
                                   Watching::ByHand);
  ASSERT_TRUE(drive->State().contents);
  EXPECT_EQ(drive->State().contents->TrackCount(), 3);
}

TEST(CdioImageTest, AFileThatIsNoImageIsADriveWithoutADisc) {
  ImageFolder folder;
  const fs::path bogus = folder.Path() / "bogus.cue";
  std::ofstream(bogus) << "this is not a cue sheet\n";
  ::testing::internal::CaptureStderr();
  auto drive = ImageDrive::Open(bogus.string(), Watching::ByHand);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(drive->State().condition, DiscCondition::NoDisc);
  EXPECT_NE(said.find("cannot be read"), std::string::npos) << said;
}

TEST(CdioImageTest, ImagePathsAreKnownByTheirExtension) {
  for (const char* path : {"a.cue", "/x/y/Disc.CUE", "b.bin", "c.toc", "d.nrg"}) {
    EXPECT_TRUE(IsDiscImagePath(path)) << path;
  }
  for (const char* path : {"/dev/sr0", "demo", "a.cue/x", "cue", "a.wav", "/x.cue.d/sr0"}) {
    EXPECT_FALSE(IsDiscImagePath(path)) << path;
  }
}

class CdioImageDeviceTest : public testing::DeviceFixture {
 protected:
  CdioImageDeviceTest()
      : DeviceFixture(ImageDrive::Open(folder_.Write(488, {0, 150, 375}),
                                          Watching::ByHand)) {}
  static ImageFolder folder_;
};

ImageFolder CdioImageDeviceTest::folder_;

TEST_F(CdioImageDeviceTest, TheDeviceReportsTheImagesTracksLengthsAndPositions) {
  OpenInTmsf();
  EXPECT_EQ(Ask("status cd media present"), "true");
  EXPECT_EQ(Ask("status cd number of tracks wait"), "3");
  EXPECT_EQ(Ask("status cd length wait"), "00:06:37");
  EXPECT_EQ(Ask("status cd length track 1"), "00:02:00");
  EXPECT_EQ(Ask("status cd length track 2"), "00:03:00");
  EXPECT_EQ(Ask("status cd length track 3"), "00:01:37");
  EXPECT_EQ(Ask("status cd position"), "01:00:00:00");
  Ask("play cd from 2:0:1");
  Wait(1);
  EXPECT_EQ(Ask("status cd position"), "02:00:02:00");
  Wait(2);
  EXPECT_EQ(Ask("status cd position"), "03:00:01:00");
  Ask("pause cd");
  Ask("set cd time format msf");
  EXPECT_EQ(Ask("status cd position"), "00:08:00");
  Ask("set cd time format milliseconds");
  EXPECT_EQ(Ask("status cd position"), "8001");
  Ask("play cd");
  Wait(10);
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  Ask("set cd time format tmsf");
  EXPECT_EQ(Ask("status cd position"), "03:00:01:37");
  Ask("set cd door open");
  EXPECT_EQ(Ask("status cd mode"), "open");
  Ask("set cd door closed");
  EXPECT_EQ(Ask("status cd mode"), "stopped");
  EXPECT_EQ(device->Contents()->TrackCount(), 3);
}

// What a look at a drive finds decides whether the device scans anew: only a disc it
// has not seen Ready just before counts as a new load, so a watcher reading the same
// disc every second never restarts the play.
TEST(DriveLooks, OnlyADifferentOrReturningDiscCountsAsANewLoad) {
  struct Look {
    DiscCondition condition;
    std::optional<TableOfContents> contents;
    std::uint64_t loadsAfter;
  };
  const std::vector<Look> looks = {
      {DiscCondition::Reading, std::nullopt, 0},
      {DiscCondition::Ready, testing::ThreeTrackDisc(), 1},
      {DiscCondition::Ready, testing::ThreeTrackDisc(), 1},   // read again: the same disc
      {DiscCondition::Ready, testing::TwoTrackDisc(), 2},     // exchanged between two looks
      {DiscCondition::DoorOpen, std::nullopt, 2},
      {DiscCondition::Ready, testing::TwoTrackDisc(), 3},     // pushed back in
  };
  DriveState state;
  for (std::size_t i = 0; i < looks.size(); ++i) {
    cdio::Record(state, looks[i].condition, looks[i].contents);
    EXPECT_EQ(state.loadCount, looks[i].loadsAfter) << "after look " << i;
  }
}

}  // namespace
}  // namespace lyrabox::cdaudio
