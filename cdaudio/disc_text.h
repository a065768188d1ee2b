// SPDX-License-Identifier: GPL-3.0-or-later
// The text a disc carries about itself, as a drive reads it (base/disc_text.h holds
// the names themselves): CD-Text is Latin-1 by the letter of its standard, and a cue
// sheet is whatever its writer saved, so each field is decided by its bytes.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/disc_text.h"

namespace lyrabox::cdaudio {

// A field of DiscText from the bytes a disc or a cue sheet holds for it, decided field
// by field: UTF-8 when the bytes are valid UTF-8 (a cue sheet saved by a program of
// today), Latin-1 otherwise (CD-Text, older sheets); then cleaned as by CleanField.
std::string FieldFromBytes(std::string_view bytes);

// The Latin-1 bytes of `utf8` when it is valid UTF-8 and each of its characters lies
// below U+0100; nothing otherwise.
std::optional<std::string> Latin1Of(std::string_view utf8);

// What a drive hands on: shared, since every look at the drive copies it.
using SharedDiscText = std::shared_ptr<const DiscText>;

}  // namespace lyrabox::cdaudio
