// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/command_line.h"

#include <gtest/gtest.h>

namespace lyrabox::host {
namespace {

using Arguments = std::vector<std::string>;

TEST(SplitWindowsArguments, BlanksQuotesAndBackslashesAsTheWindowsRuntimeReadsThem) {
  EXPECT_EQ(SplitWindowsArguments("/play G:\\"), (Arguments{"/play", "G:\\"}));
  EXPECT_EQ(SplitWindowsArguments("MMFRAME* *Deluxe*"), (Arguments{"MMFRAME*", "*Deluxe*"}));
  EXPECT_EQ(SplitWindowsArguments("  a \t b  "), (Arguments{"a", "b"}));
  EXPECT_EQ(SplitWindowsArguments(""), Arguments{});
  // The examples the Windows runtime documents.
  EXPECT_EQ(SplitWindowsArguments(R"("a b c" d e)"), (Arguments{"a b c", "d", "e"}));
  EXPECT_EQ(SplitWindowsArguments(R"("ab\"c" "\\" d)"), (Arguments{"ab\"c", "\\", "d"}));
  EXPECT_EQ(SplitWindowsArguments(R"(a\\\b d"e f"g h)"), (Arguments{R"(a\\\b)", "de fg", "h"}));
  EXPECT_EQ(SplitWindowsArguments(R"(a\\\"b c d)"), (Arguments{R"(a\"b)", "c", "d"}));
  EXPECT_EQ(SplitWindowsArguments(R"(a\\\\"b c" d e)"), (Arguments{R"(a\\b c)", "d", "e"}));
  EXPECT_EQ(SplitWindowsArguments(R"(a"b"" c d)"), (Arguments{"ab\" c d"}));
  // An empty quoted argument counts; an unclosed quote runs to the end.
  EXPECT_EQ(SplitWindowsArguments(R"(x "" y)"), (Arguments{"x", "", "y"}));
  EXPECT_EQ(SplitWindowsArguments(R"("G:\ x)"), (Arguments{"G:\\ x"}));
}

TEST(ProgramCandidates, LongestRunOfWordsFirst) {
  std::vector<ProgramCandidate> candidates =
      ProgramCandidates("E:\\program files\\Plus!\\DeluxeCD\\deluxecd.exe /play G:\\");
  ASSERT_EQ(candidates.size(), 4u);
  EXPECT_EQ(candidates[0].program, "E:\\program files\\Plus!\\DeluxeCD\\deluxecd.exe /play G:\\");
  EXPECT_EQ(candidates[0].arguments, "");
  EXPECT_EQ(candidates[2].program, "E:\\program files\\Plus!\\DeluxeCD\\deluxecd.exe");
  EXPECT_EQ(candidates[2].arguments, "/play G:\\");
  EXPECT_EQ(candidates[3].program, "E:\\program");
  EXPECT_EQ(candidates[3].arguments, "files\\Plus!\\DeluxeCD\\deluxecd.exe /play G:\\");
}

TEST(ProgramCandidates, QuotedProgramPathIsTheOnlyReading) {
  std::vector<ProgramCandidate> candidates =
      ProgramCandidates(R"(  "c:\my tools\run me.exe"  "a b" c)");
  ASSERT_EQ(candidates.size(), 1u);
  EXPECT_EQ(candidates[0].program, "c:\\my tools\\run me.exe");
  EXPECT_EQ(candidates[0].arguments, "\"a b\" c");

  EXPECT_EQ(ProgramCandidates(R"("c:\unclosed x)")[0].program, "c:\\unclosed x");
  EXPECT_TRUE(ProgramCandidates("   ").empty());
}

TEST(ProgramFileName, ExeAddedOnlyToANameWithoutExtension) {
  const std::pair<std::string, std::string> cases[] = {
      {"c:\\lyrabox\\killapp", "c:\\lyrabox\\killapp.exe"},
      {"e:\\x\\DELUXECD.EXE", "e:\\x\\DELUXECD.EXE"},
      {"c:\\tools\\run.cmd", "c:\\tools\\run.cmd"},
      {"c:\\v1.2\\run", "c:\\v1.2\\run.exe"},
  };
  for (const auto& [program, file] : cases) EXPECT_EQ(ProgramFileName(program), file) << program;
}

}  // namespace
}  // namespace lyrabox::host
