// The device command strings of the logic, carried to our own CD audio device with
// the reply-buffer rules of the Windows multimedia string interface.
#pragma once

#include "cdaudio/cdaudio.h"
#include "platform/platform.h"

namespace lyrabox::host {

class DeviceChannel : public platform::DeviceCommands {
 public:
  // `device` must outlive this object.
  explicit DeviceChannel(cdaudio::Device& device) : device_(device) {}

  // The device's answer is written only when the command succeeded, has an answer
  // (a non-empty reply) and `replyLength` is above 0: as much of it as fits in
  // `replyLength` - 1 characters, then a NUL; nothing behind the NUL is touched.
  // `callback` is accepted and ignored: no command asks for completion notices.
  platform::MciResult SendString(std::string_view command, char* reply,
                                 std::uint32_t replyLength,
                                 platform::WindowHandle callback) override;

  // The device's text for `code` (cdaudio::ErrorText), cut to `length` - 1
  // characters and a NUL. False, and nothing written, for a code without a text or
  // a `length` of 0.
  bool GetErrorString(platform::MciResult code, char* text, std::uint32_t length) override;

 private:
  cdaudio::Device& device_;
};

}  // namespace lyrabox::host
