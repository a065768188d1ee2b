// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: a cue sheet, read as the player reads a disc image (libcdio, then
// the disc's text as the drive hands it on), UTF-8 or Latin-1, with control characters
// and long lines. The sheet always names the same small bin file: any FILE of the
// input is made into another word, so that nothing outside the fuzzer's folder is
// opened. The text it reads is clean and on tracks a disc can have.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "cdaudio/linux/image_drive.h"
#include "tests/fuzz/clean_disc_text.h"

namespace {

// A folder of the fuzzer's own, with the bin file, removed when the fuzzer ends.
class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lyrabox-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) __builtin_trap();
    path = pattern;
    std::ofstream(path / "disc.bin", std::ios::binary) << std::string(2352 * 300, '\0');
  }
  ~Folder() { std::filesystem::remove_all(path); }
  std::filesystem::path path;
};

}  // namespace

// libcdio's cue parser loses a few bytes of its own on some broken sheets when it gives
// up on them: a leak in the library, not in the player, and no reason to stop here.
extern "C" const char* __lsan_default_suppressions() { return "leak:libcdio.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Folder folder;
  std::string sheet(reinterpret_cast<const char*>(data), size);
  for (std::size_t at = sheet.find("FILE"); at != std::string::npos; at = sheet.find("FILE", at)) {
    sheet[at] = 'X';
  }
  // Made afresh rather than cut short and written again: ext4 flushes a file cut short
  // to the disk when it is closed, and that costs more than the rest.
  const std::filesystem::path cue = folder.path / "disc.cue";
  std::filesystem::remove(cue);
  std::ofstream(cue, std::ios::binary) << "FILE \"disc.bin\" BINARY\n" << sheet;

  const auto drive = lyrabox::cdaudio::ImageDrive::Open(cue.string(),
                                                        lyrabox::cdaudio::Watching::ByHand);
  const lyrabox::cdaudio::DriveState state = drive->State();
  if (state.text && !IsCleanDiscText(*state.text)) __builtin_trap();
  return 0;
}
