// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/device.h"

#include <algorithm>

#include "cdaudio/positions.h"

namespace lyrabox::cdaudio {

CdAudioDevice::CdAudioDevice(std::shared_ptr<Drive> drive, std::unique_ptr<Transport> transport,
                             OpenRefusal refusal)
    : drive_(std::move(drive)), transport_(std::move(transport)), refusal_(std::move(refusal)) {}

CdAudioDevice::~CdAudioDevice() { transport_->Halt(); }

std::uint32_t CdAudioDevice::Send(std::string_view text, std::string& reply) {
  reply.clear();
  const ParseResult parsed = ParseCommand(text);
  if (!parsed.deviceNamed) return parsed.error;
  const Command& command = parsed.command;

  if (command.verb == Verb::Open) return Open(parsed, reply);
  if (command.verb == Verb::Close && command.device == "all") {
    if (parsed.error != kSuccess) return parsed.error;
    Close();
    return kSuccess;
  }
  if (command.device != alias_ || !open_) return kInvalidDeviceName;
  if (parsed.error != kSuccess) return parsed.error;

  Follow();
  switch (command.verb) {
    case Verb::Close: Close(); return kSuccess;
    case Verb::Set: return Set(command);
    case Verb::Status: return Status(command, reply);
    case Verb::Play: return Play(command);
    case Verb::Seek: return Seek(command);
    case Verb::Pause: return Pause();
    case Verb::Resume: return Resume(command);
    case Verb::Stop: return Stop();
    case Verb::Capability: return Capabilities(command, reply);
    case Verb::Info: return Info(command, reply);
    case Verb::Open:
    case Verb::Unsupported: break;
  }
  return kUnsupportedFunction;
}

std::optional<TableOfContents> CdAudioDevice::Contents() {
  if (!drive_) return std::nullopt;
  return drive_->State().contents;
}

std::optional<ReadyDisc> CdAudioDevice::Disc() {
  if (!drive_) return std::nullopt;
  DriveState state = drive_->State();
  if (!state.contents) return std::nullopt;
  return ReadyDisc{std::move(*state.contents), std::move(state.text)};
}

void CdAudioDevice::AwaitSettled() {
  if (drive_) drive_->AwaitSettled(kSettleLimit);
}

std::string CdAudioDevice::ErrorText(std::uint32_t code) {
  return cdaudio::ErrorText(code, refusal_.disc);
}

ResultCode CdAudioDevice::Open(const ParseResult& parsed, std::string& reply) {
  const Command& command = parsed.command;
  if (command.device != kDeviceType) return kInvalidDeviceName;
  if (parsed.error != kSuccess) return parsed.error;
  // One device, opened once: a second open is refused, under whichever name.
  if (open_) return kDuplicateAlias;
  if (!drive_) return refusal_.code;

  if (command.wait) AwaitSettled();
  open_ = true;
  alias_ = command.alias.value_or(std::string(kDeviceType));
  format_ = TimeFormat::Msf;
  presentFor_.reset();
  Follow();
  if (disc_) RestAt(disc_->DiscStart());
  // Through a string of its own: assigned straight from the view, GCC 12 at -O3 warns
  // of an overlap that cannot happen (-Wrestrict).
  reply = std::string(kDeviceId);
  return kSuccess;
}

void CdAudioDevice::Close() {
  if (!open_) return;
  transport_->Halt();
  mode_ = Mode::Stopped;
  open_ = false;
}

ResultCode CdAudioDevice::Set(const Command& command) {
  // The door first: when the drive refuses it, nothing of the command is done.
  if (command.door == DoorMove::Open) {
    if (!drive_->OpenDoor()) return kHardware;
    transport_->Halt();
    mode_ = Mode::Stopped;
    Follow();
  } else if (command.door == DoorMove::Close) {
    if (!drive_->CloseDoor()) return kHardware;
    // With "wait", the command ends when the drive has read the disc it took in.
    if (command.wait) AwaitSettled();
    Follow();
  }
  if (command.timeFormat) format_ = *command.timeFormat;
  // "audio" and "video": the sound leaves through the machine's own output, which the
  // device leaves alone, as some of the real ones do.
  return kSuccess;
}

ResultCode CdAudioDevice::Status(const Command& command, std::string& reply) {
  const auto truth = [](bool value) { return std::string(value ? "true" : "false"); };
  switch (*command.item) {
    case StatusItem::MediaPresent: reply = truth(MediaPresent()); return kSuccess;
    case StatusItem::Ready: reply = truth(disc_.has_value()); return kSuccess;
    case StatusItem::TimeFormat: reply = TimeFormatName(format_); return kSuccess;
    case StatusItem::Mode:
      if (!disc_) {
        reply = condition_ == DiscCondition::DoorOpen ? "open" : "not ready";
      } else {
        reply = mode_ == Mode::Playing ? "playing" : mode_ == Mode::Paused ? "paused" : "stopped";
      }
      return kSuccess;
    default: break;
  }

  if (!disc_) return kDeviceNotReady;
  const TableOfContents& disc = *disc_;
  if (command.track && !disc.HasTrack(*command.track)) return kOutOfRange;
  const auto track = [&] { return TrackNumber{static_cast<int>(*command.track)}; };
  switch (*command.item) {
    case StatusItem::NumberOfTracks: reply = std::to_string(disc.TrackCount()); break;
    case StatusItem::CurrentTrack: reply = std::to_string(disc.TrackAt(Position()).value); break;
    case StatusItem::Position: {
      const FrameAddress place = command.start ? disc.DiscStart()
                                 : command.track ? disc.TrackStart(track())
                                                 : Position();
      reply = FormatPosition(place, format_, disc);
      break;
    }
    case StatusItem::TrackType: reply = disc.IsAudio(track()) ? "audio" : "other"; break;
    case StatusItem::Length:
      reply = FormatLength(
          command.track ? disc.ReportedTrackLength(track()) : disc.ReportedDiscLength(), format_);
      break;
    case StatusItem::Title:
      if (const SharedDiscText text = drive_->State().text) {
        reply = command.track ? text->Track(track().value).title : text->album.title;
      }
      break;
    default: break;
  }
  return kSuccess;
}

ResultCode CdAudioDevice::Capabilities(const Command& command, std::string& reply) const {
  switch (*command.capability) {
    case Capability::CanPlay:
    case Capability::CanEject:
    case Capability::HasAudio: reply = "true"; break;
    case Capability::DeviceType: reply = std::string(kDeviceType); break;
    default: reply = "false"; break;
  }
  return kSuccess;
}

ResultCode CdAudioDevice::Info(const Command& command, std::string& reply) {
  switch (*command.info) {
    case InfoItem::Product: reply = std::string(kProductName); return kSuccess;
    case InfoItem::Upc: return kNoIdentity;  // a disc's catalogue number is not read
    case InfoItem::Identity:
      if (!disc_) return kDeviceNotReady;
      reply = std::to_string(disc_->Identity());
      return kSuccess;
  }
  return kSuccess;
}

ResultCode CdAudioDevice::Play(const Command& command) {
  if (!disc_) return kDeviceNotReady;
  FrameAddress from = Position();
  if (command.from) {
    const auto place = ResolvePosition(*command.from, format_, *disc_);
    if (const auto* error = std::get_if<ResultCode>(&place)) return *error;
    from = std::get<FrameAddress>(place);
  } else if (mode_ == Mode::Stopped && from == disc_->LastFrame()) {
    // Played to the end: playing again starts the disc over, as a user expects of
    // a CD player, instead of playing its very last frame.
    from = disc_->DiscStart();
  }
  FrameAddress end = disc_->LeadOut();
  if (command.to) {
    const auto place = ResolvePosition(*command.to, format_, *disc_);
    if (const auto* error = std::get_if<ResultCode>(&place)) return *error;
    end = std::get<FrameAddress>(place);
    if (end < from) return kOutOfRange;
  }
  StartPlay(from, end, command.wait);
  return kSuccess;
}

ResultCode CdAudioDevice::Seek(const Command& command) {
  if (!disc_) return kDeviceNotReady;
  FrameAddress place = disc_->DiscStart();
  if (command.seekPlace == SeekPlace::End) {
    place = disc_->LastFrame();
  } else if (command.seekPlace == SeekPlace::Position) {
    const auto resolved = ResolvePosition(*command.to, format_, *disc_);
    if (const auto* error = std::get_if<ResultCode>(&resolved)) return *error;
    place = std::get<FrameAddress>(resolved);
  }
  RestAt(place);
  return kSuccess;
}

ResultCode CdAudioDevice::Pause() {
  if (mode_ == Mode::Playing) {
    rest_ = Position();
    transport_->Halt();
    mode_ = Mode::Paused;
  }
  return kSuccess;
}

ResultCode CdAudioDevice::Resume(const Command& command) {
  if (!disc_) return kDeviceNotReady;
  if (mode_ == Mode::Paused) {
    StartPlay(rest_, playEnd_, command.wait);
    return kSuccess;
  }
  // Nothing paused: the drive refuses to resume, and the device says so.
  return mode_ == Mode::Playing ? kSuccess : kHardware;
}

ResultCode CdAudioDevice::Stop() {
  if (mode_ != Mode::Stopped) RestAt(Position());
  return kSuccess;
}

void CdAudioDevice::Follow() {
  const DriveState state = drive_->State();
  condition_ = state.condition;
  if (state.condition != DiscCondition::Ready || !state.contents) {
    if (mode_ != Mode::Stopped) transport_->Halt();
    mode_ = Mode::Stopped;
    disc_.reset();
    return;
  }
  if (!disc_ || state.loadCount != loadCount_) {
    disc_ = state.contents;
    loadCount_ = state.loadCount;
    RestAt(disc_->DiscStart());
    return;
  }
  if (mode_ == Mode::Playing && !transport_->Running()) {
    rest_ = std::min(transport_->Position(), disc_->LastFrame());
    mode_ = Mode::Stopped;
  }
}

bool CdAudioDevice::MediaPresent() {
  const bool swapped = disc_ && presentFor_ && *presentFor_ != loadCount_;
  const bool present = disc_ && !swapped;
  presentFor_ = present ? std::optional(loadCount_) : std::nullopt;
  return present;
}

FrameAddress CdAudioDevice::Position() {
  if (mode_ != Mode::Playing) return rest_;
  return std::min(transport_->Position(), disc_->LastFrame());
}

void CdAudioDevice::StartPlay(FrameAddress from, FrameAddress end, bool wait) {
  if (from >= end) {
    RestAt(from);
    return;
  }
  transport_->Play(from, end);
  mode_ = Mode::Playing;
  playEnd_ = end;
  if (wait) {
    transport_->WaitUntilEnd();
    Follow();
  }
}

void CdAudioDevice::RestAt(FrameAddress place) {
  transport_->Halt();
  mode_ = Mode::Stopped;
  rest_ = place;
}

std::unique_ptr<Device> CreateDevice(std::shared_ptr<Drive> drive, std::shared_ptr<Clock> clock) {
  return std::make_unique<CdAudioDevice>(std::move(drive),
                                         std::make_unique<ClockTransport>(std::move(clock)));
}

}  // namespace lyrabox::cdaudio
