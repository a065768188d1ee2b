// SPDX-License-Identifier: GPL-3.0-or-later
// Sequential reading of a text file by fields, the way the player's data files are
// read (the drive-setting file, the bookmark files).
//
// Fields are separated by commas or line ends (CR LF, LF or CR). Before a field,
// blanks, tabs and empty lines are skipped. Pure logic over a text already read
// into memory; no file access.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lyrabox {

class FieldReader {
 public:
  explicit FieldReader(std::string_view content) : text_(content) {}

  // A text field: one that begins with a double quote runs to the next double quote
  // (the quotes are not part of it, and whatever follows up to the separator is
  // dropped); any other runs to the first comma or line end.
  // Throws RuntimeError "Input past end of file" when no field is left.
  std::string ReadText();

  // A 16-bit number field: an optional sign and decimal digits; a field that does
  // not start with a number reads as 0, and what follows the digits is ignored.
  // Throws "Input past end of file" when no field is left and "Overflow" when the
  // number does not fit in 16 bits.
  std::int16_t ReadInt16();

  // Whether only blanks and line ends are left.
  bool AtEnd();

 private:
  void SkipToField();
  std::string_view TakeRawField();
  void SkipSeparator();

  std::string_view text_;
  std::size_t at_ = 0;
};

// The text of a record as the player writes it: the number in plain decimal (a minus
// sign only when negative) followed by CR LF.
std::string NumberRecord(long long value);

}  // namespace lyrabox
