// SPDX-License-Identifier: GPL-3.0-or-later
// Windows command lines taken apart the way Windows does it, so that the fixed
// command lines of the logic ("E:\program files\Plus!\DeluxeCD\deluxecd.exe /play G:\",
// "c:\lyrabox\killapp MMFRAME* *Deluxe*") start the same program with the same
// arguments here. Pure text work; finding the program on the disk is the caller's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lyrabox::host {

// A way to read a command line: the program's Windows path and the text after it.
struct ProgramCandidate {
  std::string program;
  std::string arguments;
};

// The readings to try, best first. A command line that begins with a double quote
// names its program up to the next double quote (to the end when there is none).
// Otherwise the program is a leading run of blank-separated words, and every run is
// offered, the longest first, so that the first that names an existing file wins
// even when its path holds blanks ("E:\program files\..."). Leading blanks are
// skipped; an empty or blank command line has no reading.
std::vector<ProgramCandidate> ProgramCandidates(std::string_view commandLine);

// The file a program text names, as Windows reads a command line: a last name without
// an extension gets ".exe" ("c:\lyrabox\killapp" is killapp.exe, never a file called
// killapp beside it); one with an extension is taken as it is.
std::string ProgramFileName(const std::string& program);

// Splits arguments as the Windows C runtime does: blanks and tabs separate arguments
// outside double quotes; a double quote starts or ends a quoted stretch (and "" inside
// one is a literal quote); 2n backslashes before a double quote give n backslashes and
// the quote acts, 2n+1 give n backslashes and a literal quote; other backslashes are
// kept as they are ("G:\" stays "G:\"). "" alone is an empty argument.
std::vector<std::string> SplitWindowsArguments(std::string_view text);

}  // namespace lyrabox::host
