// SPDX-License-Identifier: GPL-3.0-or-later
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

// The disc's identity (TableOfContents::Identity), which is also the number Windows
// gives an audio CD's volume.
std::uint32_t AudioCdVolumeSerial(const cdaudio::TableOfContents& disc);

// "Track01.cda" ... one per track, first to last; none for a disc that holds data.
std::vector<std::string> AudioCdTrackFileNames(const cdaudio::TableOfContents& disc);

}  // namespace lyrabox::platform
