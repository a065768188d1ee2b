// How Windows presents an audio CD in a drive: its volume serial number and the one
// file TrackNN.cda per track in its root. Both hosts show our own device's disc this
// way (Linux for every disc, Windows for the demo disc standing in for a drive), so
// that a bookmark file named by a disc id on one system names the same disc on the
// other. The device itself knows nothing of it: it answers command strings and
// exposes the table of contents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cdaudio/table_of_contents.h"

namespace lyrabox::platform {

// The 32-bit sum over every track of its start (counted from the very start of the
// disc, lead-in included) packed as (M << 16) + (S << 8) + F, plus, for a disc of
// fewer than three tracks, the disc's length in frames (lead-out minus the first
// track's start). The sum wraps at 32 bits.
std::uint32_t AudioCdVolumeSerial(const cdaudio::TableOfContents& disc);

// "Track01.cda" ... one per track, first to last; none for a disc that holds data.
std::vector<std::string> AudioCdTrackFileNames(const cdaudio::TableOfContents& disc);

}  // namespace lyrabox::platform
