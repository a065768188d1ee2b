// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/deferred_device.h"

namespace lyrabox::cdaudio {

Device& DeferredDevice::Get() {
  if (!device_) {
    device_ = make_();
    make_ = nullptr;  // whatever the factory holds goes with it
  }
  return *device_;
}

std::uint32_t DeferredDevice::Send(std::string_view command, std::string& reply) {
  return Get().Send(command, reply);
}

std::optional<TableOfContents> DeferredDevice::Contents() { return Get().Contents(); }

std::optional<ReadyDisc> DeferredDevice::Disc() { return Get().Disc(); }

void DeferredDevice::AwaitSettled() { Get().AwaitSettled(); }

std::string DeferredDevice::ErrorText(std::uint32_t code) { return Get().ErrorText(code); }

}  // namespace lyrabox::cdaudio
