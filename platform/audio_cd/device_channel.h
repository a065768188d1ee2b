// SPDX-License-Identifier: GPL-3.0-or-later
// Our own CD audio device as both hosts hand it to the logic: command strings with the
// reply-buffer rules of the Windows multimedia string interface, the device's error
// texts, and the disc in it as Windows presents an audio CD (audio_cd.h). Linux uses it
// for every disc; Windows for the demo disc standing in for a drive.
//
// Thread: the user-interface thread, like every DeviceCommands.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "cdaudio/cdaudio.h"
#include "platform/platform.h"

namespace lyrabox::platform {

class AudioCdChannel final : public DeviceCommands {
 public:
  // `device` must outlive this object.
  explicit AudioCdChannel(cdaudio::Device& device) : device_(device) {}

  // The device's answer is written only when the command succeeded, has an answer
  // (a non-empty reply) and `replyLength` is above 0: as much of it as fits in
  // `replyLength` - 1 characters, then a NUL; nothing behind the NUL is touched.
  // `callback` is accepted and ignored: no command asks for completion notices.
  MciResult SendString(std::string_view command, char* reply, std::uint32_t replyLength,
                       WindowHandle callback) override;

  // The device's text for `code` (Device::ErrorText), cut to `length` - 1
  // characters and a NUL. False, and nothing written, for a code without a text or
  // a `length` of 0.
  bool GetErrorString(MciResult code, char* text, std::uint32_t length) override;

  // The device's disc (cdaudio::Device::Disc): its table of contents and its own text,
  // from one look at the drive.
  std::optional<DiscSnapshot> Disc() override;

  // The disc's volume serial number, as the system's own call gives it: once the
  // drive has settled (a drive that spins up is waited for, up to
  // cdaudio::kSettleLimit), nothing without a disc.
  std::optional<std::uint32_t> VolumeSerial();

  // Whether the drive's root lists a track file ("Track01.cda" ...) that `pattern`
  // matches, letter case ignored, '*' standing for any run. A disc that holds data
  // lists none.
  bool ListsTrackFile(std::string_view pattern);

 private:
  cdaudio::Device& device_;
};

}  // namespace lyrabox::platform
