// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: command strings into the parser and into a device on the demo
// disc. Each input is split at line ends into several commands sent in turn, so that
// the fuzzer can reach states (paused, door open, closed) as well as words.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cdaudio/command_parser.h"
#include "cdaudio/demo_disc.h"
#include "cdaudio/device.h"

using namespace lyrabox::cdaudio;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto clock = std::make_shared<ManualClock>();
  static auto device = CreateDevice(std::make_shared<DemoDrive>(), clock);

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string reply;
  device->Send("open cdaudio alias cd wait shareable", reply);
  std::size_t begin = 0;
  while (begin <= input.size()) {
    const std::size_t end = std::min(input.find('\n', begin), input.size());
    const std::string_view command = input.substr(begin, end - begin);
    (void)ParseCommand(command);
    const std::uint32_t code = device->Send(command, reply);
    if (code != 0 && (!reply.empty() || ErrorText(code).empty())) __builtin_trap();
    clock->Advance(std::chrono::milliseconds(command.size() * 997));
    begin = end + 1;
  }
  device->Send("set cd door closed", reply);
  return 0;
}
