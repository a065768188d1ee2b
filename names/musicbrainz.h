// SPDX-License-Identifier: GPL-3.0-or-later
// What the MusicBrainz web service is asked about a disc, and what its answer means.
//
// The question is the disc's MusicBrainz disc id, computed from its table of contents
// (libdiscid), nothing else: GET <service>/ws/2/discid/<id>?inc=recordings+artist-credits
// as JSON. The answer lists the releases that hold a disc with that id.
#pragma once

#include <QByteArray>
#include <QUrl>
#include <optional>
#include <string>

#include "base/disc_text.h"
#include "platform/platform.h"

namespace lyrabox::names {

// The MusicBrainz disc id of the disc laid out as `disc` says (28 characters of
// letters, digits, '.', '_' and '-'); empty when the disc has no audio track or
// cannot be a disc's layout. Data tracks after the audio (an enhanced CD's) are left
// out, as the service counts the disc; the audio then ends 11400 frames (the gap of a
// second session) before the first of them.
std::string MusicBrainzDiscId(const platform::DiscSnapshot& disc);

// The address that asks `service` (its base address, "https://musicbrainz.org") about
// the disc `discId`.
QUrl LookupAddress(const QUrl& service, const std::string& discId);

// The names in the service's answer `json` for the disc `discId`, or nothing when the
// answer is no JSON of the expected shape or names no release that holds the disc.
//
// Several releases may hold the same disc (reissues, other countries). The one taken:
// official releases before any other status, then the earliest release date (a
// release without a date after every dated one), then the service's own order.
// Within it, the first medium that lists the disc id gives the tracks: its track
// positions are the disc's track numbers from `firstTrack` (1 to 99) on, and a track
// whose position is no whole number or names no track a disc can have is left out.
std::optional<DiscText> NamesFromAnswer(const QByteArray& json, const std::string& discId,
                                        int firstTrack);

}  // namespace lyrabox::names
