// Our own CD audio device: it understands the MCI command strings the player sends
// ("open cdaudio alias cd wait shareable", "status cd position", "play cd from 3" ...)
// and drives a real CD drive, a disc image or the built-in demo disc.
//
// This header is what the host (platform/linux) and the lyrabox-mci tool use.
// Thread: one caller thread; an answer never waits on the drive.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lyrabox::cdaudio {

class Device {
 public:
  virtual ~Device() = default;

  // Carries out one command string and returns its MCI result code (0 on success).
  // The answer text, without NUL, goes into `reply` ("" when the command has none).
  virtual std::uint32_t Send(std::string_view command, std::string& reply) = 0;

  // For the host side of the CD drive, whether or not the device is open:
  // "Track01.cda", "Track02.cda" ... one per audio track of a pure audio disc;
  // empty for a data-only disc and without a disc.
  virtual std::vector<std::string> TrackFileNames() = 0;
  // The volume serial number computed from the table of contents as Windows does for
  // audio discs; nothing without a disc.
  virtual std::optional<std::uint32_t> VolumeSerial() = 0;
};

// The English text of an MCI result code; empty for a code that has none.
std::string ErrorText(std::uint32_t code);

// The device on the disc that LYRABOX_CD names: a device node (/dev/sr0), a disc
// image (.cue, .toc, .nrg, .bin) or "demo"; unset, the system's first CD drive, or
// the demo disc with one line on standard error when there is none. When
// LYRABOX_MCI_LOG names a file, every command is appended to it with its result code
// and reply. The disc plays through the default sound output; LYRABOX_AUDIO=none, or
// an output that cannot be opened, plays it silently. Never null.
std::unique_ptr<Device> OpenFromEnvironment();

}  // namespace lyrabox::cdaudio
