// The two devices the Windows host can talk to: the system's MCI and our own core.
#include "platform/windows/windows_host.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/ascii.h"
#include "platform/audio_cd/audio_cd.h"

namespace lyrabox::windows {
namespace {

// `text` and a NUL at the start of `buffer`, cut to fit in `length` characters.
void CopyWithNul(std::string_view text, char* buffer, std::uint32_t length) {
  const std::size_t count = std::min<std::size_t>(text.size(), length - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
}

}  // namespace

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

CoreDevice::CoreDevice(std::unique_ptr<cdaudio::Device> device, std::string driveRoot)
    : device_(std::move(device)), driveRoot_(std::move(driveRoot)) {}

platform::MciResult CoreDevice::SendString(std::string_view command, char* reply,
                                           std::uint32_t replyLength,
                                           platform::WindowHandle /*callback*/) {
  std::string answer;
  const platform::MciResult code = device_->Send(command, answer);
  if (code == 0 && !answer.empty() && replyLength > 0 && reply != nullptr) {
    CopyWithNul(answer, reply, replyLength);
  }
  return code;
}

bool CoreDevice::GetErrorString(platform::MciResult code, char* text, std::uint32_t length) {
  if (text == nullptr || length == 0) return false;
  const std::string message = cdaudio::ErrorText(code);
  if (message.empty()) return false;
  CopyWithNul(message, text, length);
  return true;
}

bool CoreDevice::OnDrive(std::string_view path) const {
  // "d:" and "d:\..." both; the letter in either case.
  if (path.size() < 2 || driveRoot_.size() < 2) return false;
  return ascii::ToLower(path[0]) == ascii::ToLower(driveRoot_[0]) && path[1] == ':' &&
         (path.size() == 2 || path[2] == '\\');
}

std::optional<std::uint32_t> CoreDevice::VolumeSerial() {
  // As the system's own call does, wait (a bounded time) for a drive still spinning up.
  device_->AwaitSettled();
  const std::optional<cdaudio::TableOfContents> disc = device_->Contents();
  if (!disc) return std::nullopt;
  return platform::AudioCdVolumeSerial(*disc);
}

std::vector<std::string> CoreDevice::TrackFileNames() {
  const std::optional<cdaudio::TableOfContents> disc = device_->Contents();
  if (!disc) return {};
  return platform::AudioCdTrackFileNames(*disc);
}

}  // namespace lyrabox::windows
