// SPDX-License-Identifier: GPL-3.0-or-later
// Our own CD audio device: it understands the MCI command strings the player sends
// ("open cdaudio alias cd wait shareable", "status cd position", "play cd from 3" ...)
// and drives a CD drive, a disc image or the built-in demo disc.
//
// This header is what a host (platform/linux) and the lyrabox-mci tool use; which
// drive stands behind the device is the business of whoever makes it
// (cdaudio/linux/environment.h on Linux).
// Thread: one caller thread; an answer never waits on the disc, but for AwaitSettled
// and "open ... wait", which wait a bounded time for a drive that is spinning up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cdaudio/disc_text.h"
#include "cdaudio/table_of_contents.h"

namespace lyrabox::cdaudio {

// A disc ready in the drive, as one look at the drive sees it.
struct ReadyDisc {
  TableOfContents contents;
  SharedDiscText text;  // null when the disc carries none
};

class Device {
 public:
  virtual ~Device() = default;

  // Carries out one command string and returns its MCI result code (0 on success).
  // The answer text, without NUL, goes into `reply` ("" when the command has none).
  virtual std::uint32_t Send(std::string_view command, std::string& reply) = 0;

  // The table of contents of the disc ready in the drive, whether or not the device
  // is open; nothing without a disc, with the door open or while the disc is still
  // being read. A host maps the disc onto its own file system from this.
  virtual std::optional<TableOfContents> Contents() = 0;

  // The same disc with its own text (CD-Text, or the demo disc's), both from one look
  // at the drive, so that the text is never another disc's: nothing when Contents is
  // nothing. A device that reads no text gives none.
  virtual std::optional<ReadyDisc> Disc() {
    std::optional<TableOfContents> contents = Contents();
    if (!contents) return std::nullopt;
    return ReadyDisc{std::move(*contents), nullptr};
  }

  // Waits, for a bounded time (kSettleLimit of drive.h), while the drive is still
  // reading a disc it has just been given, as a system's own call for a CD's volume
  // serial number waits while the drive spins up. Contents afterwards tells the disc.
  virtual void AwaitSettled() {}

  // The text of a code that Send returned (ErrorText below); for the driver's own
  // codes it names the disc the device was made for.
  virtual std::string ErrorText(std::uint32_t code);
};

// The English text of an MCI result code; empty for a code that has none. The texts of
// the driver's own codes (from kCustomDriverBase, result_codes.h) name `disc`, the
// value of kDiscVariable that the device could not play.
std::string ErrorText(std::uint32_t code, std::string_view disc = {});

}  // namespace lyrabox::cdaudio
