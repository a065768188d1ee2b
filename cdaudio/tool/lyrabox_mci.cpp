// SPDX-License-Identifier: GPL-3.0-or-later
// lyrabox-mci: talks to Lyrabox's CD audio device from the command line. Reads command
// strings from standard input, one a line, and prints each reply or error.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "cdaudio/cdaudio.h"
#include "cdaudio/linux/environment.h"
#include "cdaudio/linux/sound_transport.h"
#include "cdaudio/mci_session.h"

namespace {

std::string Usage() {
  return "Usage: lyrabox-mci < commands\n"
         "\n"
         "Reads device command strings from standard input, one a line, sends each to\n"
         "Lyrabox's CD audio device and prints one line for each: the reply (empty when\n"
         "the command has none), or \"error N: text\". Start with\n"
         "  open cdaudio alias cd wait shareable\n"
         "\n"
         "Environment:\n" +
         lyrabox::cdaudio::DescribeEnvironment() +
         "\n"
         "Exit status: 0 when every command succeeded, 1 when one failed, 2 on a usage or\n"
         "output error.\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const bool help = argc == 2 && (std::strcmp(argv[1], "--help") == 0 ||
                                    std::strcmp(argv[1], "-h") == 0);
    std::fputs(Usage().c_str(), help ? stdout : stderr);
    return help ? 0 : 2;
  }
  std::ios::sync_with_stdio(false);
  const auto device =
      lyrabox::cdaudio::OpenFromEnvironment(&lyrabox::cdaudio::SoundTransport::Open);
  return lyrabox::cdaudio::RunMciSession(std::cin, std::cout, *device);
}
