// SPDX-License-Identifier: GPL-3.0-or-later
// Locale-independent ASCII helpers for the texts the player handles: command strings,
// device replies, Windows paths and command lines, data files.
//
// These texts are ASCII by contract, and their rules (letter case ignored, blanks are
// space and tab) must not change with the user's locale, which the <cctype> functions
// follow. Bytes outside ASCII are left as they are and never count as blanks, digits
// or letters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lyrabox::ascii {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr char ToLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char ToUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string ToLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = ToLower(c);
  return lower;
}

constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToLower(a[i]) != ToLower(b[i])) return false;
  }
  return true;
}

constexpr bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

constexpr bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

// The first place at or after `from` where `needle` stands in `text`, letter case
// ignored, or npos. An empty needle is found at `from` (when `from` is inside the text).
constexpr std::size_t FindIgnoringCase(std::string_view text, std::string_view needle,
                                       std::size_t from = 0) {
  if (from > text.size() || needle.size() > text.size() - from) {
    return (needle.empty() && from <= text.size()) ? from : std::string_view::npos;
  }
  for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
    if (EqualsIgnoringCase(text.substr(i, needle.size()), needle)) return i;
  }
  return std::string_view::npos;
}

// Whether `name` matches `pattern`, whose '*' stands for any run of characters (none
// included), letter case ignored: the one wildcard of the file names the player looks
// for ("*.CDA"). Greedy with one backtrack point (the last '*' seen takes one more
// character each time the rest fails), so many stars never cost exponential time.
constexpr bool MatchesIgnoringCase(std::string_view name, std::string_view pattern) {
  std::size_t n = 0, p = 0;
  std::size_t starAt = std::string_view::npos, nameAtStar = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      nameAtStar = n;
    } else if (p < pattern.size() && ToLower(pattern[p]) == ToLower(name[n])) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++nameAtStar;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// The drive letter that a text such as "d:", "D", "d:\\" or "d:/" names, in lower
// case; 0 for any other text.
constexpr char DriveLetterOf(std::string_view text) {
  if (text.empty() || ToLower(text[0]) < 'a' || ToLower(text[0]) > 'z') return 0;
  std::string_view rest = text.substr(1);
  if (!rest.empty() && rest[0] == ':') rest.remove_prefix(1);
  if (rest == "\\" || rest == "/") rest = {};
  return rest.empty() ? ToLower(text[0]) : 0;
}

// Leading and trailing blanks (space, tab) removed.
constexpr std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace lyrabox::ascii
