// SPDX-License-Identifier: GPL-3.0-or-later
// The run-time error model of the logic.
//
// An operation that cannot go on (a reply that is not a number, an arithmetic
// overflow, a missing file) throws a RuntimeError carrying the error's number and
// its message. Nothing in the logic catches it: the guard around every window event
// shows the message in a box titled "Lyrabox" and ends the program. The few places
// where the player recovers instead catch it explicitly and say why.
#pragma once

#include <stdexcept>
#include <string>

namespace lyrabox {

enum class ErrorNumber : int {
  Overflow = 6,
  OutOfMemory = 7,
  SubscriptOutOfRange = 9,
  TypeMismatch = 13,
  BadFileNameOrNumber = 52,
  FileNotFound = 53,
  DiskFull = 61,
  InputPastEndOfFile = 62,
  PermissionDenied = 70,
  PathNotFound = 76,
};

// The message the language gives each error number.
const char* ErrorMessage(ErrorNumber number);

class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(ErrorNumber number);
  RuntimeError(ErrorNumber number, const std::string& detail);
  // An error whose box says what happened and what to do in plain words, instead of
  // the number and its message.
  static RuntimeError Explained(ErrorNumber number, const std::string& boxText);

  ErrorNumber number() const { return number_; }
  // The standard message of the number ("Type mismatch").
  const char* message() const { return ErrorMessage(number_); }
  // What the error box shows: "Run-time error '13':" and the message, and the detail
  // (a command line, a path) when there is one; an explained error's own text.
  std::string BoxText() const;

 private:
  ErrorNumber number_;
  std::string detail_;
  bool explained_ = false;  // the detail is the whole box text
};

}  // namespace lyrabox
