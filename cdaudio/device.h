// SPDX-License-Identifier: GPL-3.0-or-later
// Our CD audio device: the command strings of cdaudio.h carried out on one Drive, with
// the play position moved by a Transport.
//
// States: no disc (or a disc still being read), door open, and with a disc ready:
// stopped, playing or paused. The device follows the drive at every command: a disc
// that appears is loaded with the position at the start of its first track; a disc
// that goes stops whatever was playing. A disc changed since the last "media present"
// that said true reads as absent to the next one, once: a caller that polls sees the
// old disc go before the new one comes, also when a changer swaps them between two
// of its polls. Every answer comes from the device's own state
// and the drive's last known state; nothing waits on the drive ("play ... wait" waits
// for the play to end, on the device's clock), but for "open ... wait", which first
// waits a bounded time (kSettleLimit) for a drive that is spinning up, so that the
// commands after it find the disc.
//
// Threads: one caller thread for everything.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cdaudio/cdaudio.h"
#include "cdaudio/clock.h"
#include "cdaudio/command_parser.h"
#include "cdaudio/drive.h"
#include "cdaudio/result_codes.h"
#include "cdaudio/transport.h"

namespace lyrabox::cdaudio {

// The device type that "open" accepts; the device answers to it when opened without
// an alias ("open cdaudio", then "play cdaudio"), and to its alias otherwise.
inline constexpr std::string_view kDeviceType = "cdaudio";
// What "info ... product" answers.
inline constexpr std::string_view kProductName = "CD-Audio";
// The reply to a successful "open": the device id.
inline constexpr std::string_view kDeviceId = "1";

// Why "open" fails on a device without a drive: the code, and the disc that was asked
// for, which the code's text names (ErrorText of cdaudio.h).
struct OpenRefusal {
  ResultCode code = kCannotLoadDriver;
  std::string disc;
};

class CdAudioDevice final : public Device {
 public:
  // A null `drive` stands for a drive that could not be reached at all: "open" then
  // fails as `refusal` says.
  CdAudioDevice(std::shared_ptr<Drive> drive, std::unique_ptr<Transport> transport,
                OpenRefusal refusal = {});
  ~CdAudioDevice() override;
  CdAudioDevice(const CdAudioDevice&) = delete;
  CdAudioDevice& operator=(const CdAudioDevice&) = delete;

  std::uint32_t Send(std::string_view command, std::string& reply) override;
  std::optional<TableOfContents> Contents() override;
  std::optional<ReadyDisc> Disc() override;
  void AwaitSettled() override;
  std::string ErrorText(std::uint32_t code) override;

 private:
  enum class Mode { Stopped, Playing, Paused };

  ResultCode Open(const ParseResult& parsed, std::string& reply);
  void Close();
  ResultCode Set(const Command& command);
  ResultCode Status(const Command& command, std::string& reply);
  ResultCode Capabilities(const Command& command, std::string& reply) const;
  ResultCode Info(const Command& command, std::string& reply);
  ResultCode Play(const Command& command);
  ResultCode Seek(const Command& command);
  ResultCode Pause();
  ResultCode Resume(const Command& command);
  ResultCode Stop();

  // Catches up with the drive (a disc loaded, changed or gone) and with the transport
  // (a play that has reached its end).
  void Follow();
  // The answer to "media present".
  bool MediaPresent();
  FrameAddress Position();
  void StartPlay(FrameAddress from, FrameAddress end, bool wait);
  // Stops any play and rests at `place`.
  void RestAt(FrameAddress place);

  std::shared_ptr<Drive> drive_;
  std::unique_ptr<Transport> transport_;
  const OpenRefusal refusal_;
  bool open_ = false;
  std::string alias_;  // what the device answers to while open
  TimeFormat format_ = TimeFormat::Msf;
  DiscCondition condition_ = DiscCondition::NoDisc;
  std::optional<TableOfContents> disc_;  // exactly when the disc is ready
  std::uint64_t loadCount_ = 0;
  // The load that the last "media present" answered true for; nothing after a false.
  std::optional<std::uint64_t> presentFor_;
  Mode mode_ = Mode::Stopped;
  FrameAddress rest_;     // the position while not playing
  FrameAddress playEnd_;  // where the current (or paused) play ends
};

// The device on `drive` with a silent play position that follows `clock`. Tests pass
// a ScriptedDrive or a DemoDrive and a ManualClock.
std::unique_ptr<Device> CreateDevice(std::shared_ptr<Drive> drive, std::shared_ptr<Clock> clock);

}  // namespace lyrabox::cdaudio
