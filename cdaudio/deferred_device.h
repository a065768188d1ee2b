// SPDX-License-Identifier: GPL-3.0-or-later
// A device made on its first use. The player's main hands the host one of these, so
// that a start that ends before the device is needed (a second instance) never looks
// for a drive, opens the sound output or says anything about either.
#pragma once

#include <functional>
#include <memory>

#include "cdaudio/cdaudio.h"

namespace lyrabox::cdaudio {

class DeferredDevice final : public Device {
 public:
  using Factory = std::function<std::unique_ptr<Device>()>;

  // `make` runs once, at the first call of Send or Contents; it must not return null.
  explicit DeferredDevice(Factory make) : make_(std::move(make)) {}

  std::uint32_t Send(std::string_view command, std::string& reply) override;
  std::optional<TableOfContents> Contents() override;
  std::optional<ReadyDisc> Disc() override;
  void AwaitSettled() override;
  std::string ErrorText(std::uint32_t code) override;

  // Whether the device has been made yet.
  bool Made() const { return device_ != nullptr; }

 private:
  Device& Get();

  Factory make_;
  std::unique_ptr<Device> device_;
};

}  // namespace lyrabox::cdaudio
