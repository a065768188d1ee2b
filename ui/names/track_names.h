// The names of one track as the desktop and the window show them.
#pragma once

#include <QString>

#include "cdaudio/disc_text.h"

namespace lyrabox::names {

struct TrackNames {
  QString title;      // the track's own; empty when not known
  QString performer;  // the track's own, else the album's; empty when not known
  QString album;
  QString albumPerformer;
};

TrackNames NamesOfTrack(const cdaudio::DiscText& names, int track);

// "Track 3: Green Bar, The Fixtures" (what is not known left out); empty for no track or
// a track without a title or performer.
QString TrackTooltip(const cdaudio::DiscText& names, int track);

}  // namespace lyrabox::names
