#include "platform/linux/device_channel.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace lyrabox::host {
namespace {

// `text` and a NUL at the start of `buffer`, cut to fit in `length` characters.
void CopyWithNul(std::string_view text, char* buffer, std::uint32_t length) {
  std::size_t count = std::min<std::size_t>(text.size(), length - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
}

}  // namespace

platform::MciResult DeviceChannel::SendString(std::string_view command, char* reply,
                                              std::uint32_t replyLength,
                                              platform::WindowHandle /*callback*/) {
  std::string answer;
  platform::MciResult code = device_.Send(command, answer);
  if (code == 0 && !answer.empty() && replyLength > 0 && reply != nullptr) {
    CopyWithNul(answer, reply, replyLength);
  }
  return code;
}

bool DeviceChannel::GetErrorString(platform::MciResult code, char* text, std::uint32_t length) {
  if (length == 0 || text == nullptr) return false;
  std::string message = cdaudio::ErrorText(code);
  if (message.empty()) return false;
  CopyWithNul(message, text, length);
  return true;
}

}  // namespace lyrabox::host
