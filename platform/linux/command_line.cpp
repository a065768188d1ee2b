// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/command_line.h"

#include "base/ascii.h"
#include "platform/linux/drive_folders.h"

namespace lyrabox::host {
namespace {

using ascii::IsBlank;

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

}  // namespace

std::vector<ProgramCandidate> ProgramCandidates(std::string_view commandLine) {
  std::string_view line = SkipBlanks(commandLine);
  std::vector<ProgramCandidate> candidates;
  if (line.empty()) return candidates;

  if (line.front() == '"') {
    std::size_t close = line.find('"', 1);
    if (close == std::string_view::npos) {
      candidates.push_back({std::string(line.substr(1)), ""});
    } else {
      candidates.push_back({std::string(line.substr(1, close - 1)),
                            std::string(SkipBlanks(line.substr(close + 1)))});
    }
    return candidates;
  }

  // Where each word ends; a run of words is the line up to one of these.
  std::vector<std::size_t> wordEnds;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && !IsBlank(line[at])) ++at;
    wordEnds.push_back(at);
    while (at < line.size() && IsBlank(line[at])) ++at;
  }
  for (auto end = wordEnds.rbegin(); end != wordEnds.rend(); ++end) {
    candidates.push_back(
        {std::string(line.substr(0, *end)), std::string(SkipBlanks(line.substr(*end)))});
  }
  return candidates;
}

std::string ProgramFileName(const std::string& program) {
  const std::size_t lastName = program.find_last_of("\\/:") + 1;  // 0 when there is none
  if (program.find('.', lastName) != std::string::npos) return program;
  return program + ".exe";
}

std::vector<std::string> SplitWindowsArguments(std::string_view text) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;  // something, perhaps an empty "", has been read
  bool quoted = false;
  std::size_t at = 0;
  while (at < text.size()) {
    char c = text[at];
    if (IsBlank(c) && !quoted) {
      if (inArgument) arguments.push_back(std::move(current));
      current.clear();
      inArgument = false;
      ++at;
      continue;
    }
    inArgument = true;
    if (c == '\\') {
      std::size_t count = 0;
      while (at < text.size() && text[at] == '\\') {
        ++count;
        ++at;
      }
      if (at < text.size() && text[at] == '"') {
        current.append(count / 2, '\\');
        if (count % 2 == 1) {
          current += '"';
          ++at;
        }
        // With an even count the quote is read next, as a quote.
      } else {
        current.append(count, '\\');
      }
    } else if (c == '"') {
      if (quoted && at + 1 < text.size() && text[at + 1] == '"') {
        current += '"';
        at += 2;
      } else {
        quoted = !quoted;
        ++at;
      }
    } else {
      current += c;
      ++at;
    }
  }
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

}  // namespace lyrabox::host
