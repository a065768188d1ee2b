// SPDX-License-Identifier: GPL-3.0-or-later
// The two devices the Windows host can talk to: the system's MCI and our own core.
#include "platform/windows/windows_host.h"

#include <mmsystem.h>

#include "base/ascii.h"

namespace lyrabox::windows {

platform::MciResult MciDevice::SendString(std::string_view command, char* reply,
                                          std::uint32_t replyLength,
                                          platform::WindowHandle callback) {
  const std::string text(command);  // the system wants it NUL-ended
  const platform::MciResult code = mciSendStringA(text.c_str(), replyLength > 0 ? reply : nullptr,
                                                  replyLength, reinterpret_cast<HWND>(callback));
  if (log_) {
    const bool replied = code == 0 && replyLength > 0 && reply != nullptr;
    log_->Append(command, code, replied ? std::string_view(reply, strnlen(reply, replyLength)) : "");
  }
  return code;
}

bool MciDevice::GetErrorString(platform::MciResult code, char* text, std::uint32_t length) {
  if (text == nullptr || length == 0) return false;
  return mciGetErrorStringA(code, text, length) != FALSE;
}

bool CoreDrive::OnDrive(std::string_view path) const {
  // "d:" and "d:\..." both; the letter in either case.
  return path.size() >= 2 && ascii::ToLower(path[0]) == ascii::ToLower(letter_) &&
         path[1] == ':' && (path.size() == 2 || path[2] == '\\');
}

}  // namespace lyrabox::windows
