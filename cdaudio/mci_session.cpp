// SPDX-License-Identifier: GPL-3.0-or-later
#include "cdaudio/mci_session.h"

#include <string>

namespace lyrabox::cdaudio {

int RunMciSession(std::istream& in, std::ostream& out, Device& device) {
  bool allSucceeded = true;
  std::string line;
  std::string reply;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::uint32_t code = device.Send(line, reply);
    if (code == 0) {
      out << reply << '\n';
    } else {
      allSucceeded = false;
      out << "error " << code << ": " << device.ErrorText(code) << '\n';
    }
    // Flushed per command, so that a program driving the tool through a pipe sees
    // each answer before it sends the next command.
    out.flush();
    if (!out) return 2;
  }
  return allSucceeded ? 0 : 1;
}

}  // namespace lyrabox::cdaudio
