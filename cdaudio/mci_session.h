// SPDX-License-Identifier: GPL-3.0-or-later
// What lyrabox-mci does, kept in the library so that the tests run it.
#pragma once

#include <istream>
#include <ostream>

#include "cdaudio/cdaudio.h"

namespace lyrabox::cdaudio {

// Reads command strings from `in`, one a line, sends each to `device`, and writes one
// line for each to `out`: the reply text (an empty line when the command has none),
// or "error N: text" with the result code and its text. Empty lines are skipped, and
// a carriage return ending a line (a file written on Windows) is not part of the
// command. Returns the exit status: 0 when every command succeeded, 1 when one
// failed, 2 when the output could not be written.
int RunMciSession(std::istream& in, std::ostream& out, Device& device);

}  // namespace lyrabox::cdaudio
