// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/runtime_error.h"

namespace lyrabox {

const char* ErrorMessage(ErrorNumber number) {
  switch (number) {
    case ErrorNumber::Overflow: return "Overflow";
    case ErrorNumber::OutOfMemory: return "Out of memory";
    case ErrorNumber::SubscriptOutOfRange: return "Subscript out of range";
    case ErrorNumber::TypeMismatch: return "Type mismatch";
    case ErrorNumber::BadFileNameOrNumber: return "Bad file name or number";
    case ErrorNumber::FileNotFound: return "File not found";
    case ErrorNumber::DiskFull: return "Disk full";
    case ErrorNumber::InputPastEndOfFile: return "Input past end of file";
    case ErrorNumber::PermissionDenied: return "Permission denied";
    case ErrorNumber::PathNotFound: return "Path not found";
  }
  return "Application-defined or object-defined error";
}

RuntimeError::RuntimeError(ErrorNumber number)
    : std::runtime_error(ErrorMessage(number)), number_(number) {}

RuntimeError::RuntimeError(ErrorNumber number, const std::string& detail)
    : std::runtime_error(std::string(ErrorMessage(number)) + ": " + detail),
      number_(number),
      detail_(detail) {}

RuntimeError RuntimeError::Explained(ErrorNumber number, const std::string& boxText) {
  RuntimeError error(number, boxText);
  error.explained_ = true;
  return error;
}

std::string RuntimeError::BoxText() const {
  if (explained_) return detail_;
  std::string text = "Run-time error '" + std::to_string(static_cast<int>(number_)) +
                     "':\n\n" + ErrorMessage(number_);
  if (!detail_.empty()) text += "\n\n" + detail_;
  return text;
}

}  // namespace lyrabox
