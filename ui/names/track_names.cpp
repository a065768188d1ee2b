#include "ui/names/track_names.h"

#include <QStringList>

namespace lyrabox::names {

TrackNames NamesOfTrack(const cdaudio::DiscText& names, int track) {
  const cdaudio::TitleAndPerformer own = names.Track(track);
  TrackNames shown;
  shown.title = QString::fromStdString(own.title);
  shown.performer =
      QString::fromStdString(own.performer.empty() ? names.album.performer : own.performer);
  shown.album = QString::fromStdString(names.album.title);
  shown.albumPerformer = QString::fromStdString(names.album.performer);
  return shown;
}

QString TrackTooltip(const cdaudio::DiscText& names, int track) {
  if (track <= 0) return {};
  const TrackNames shown = NamesOfTrack(names, track);
  QStringList parts;
  if (!shown.title.isEmpty()) parts << shown.title;
  if (!shown.performer.isEmpty()) parts << shown.performer;
  if (parts.isEmpty()) return {};
  return QStringLiteral("Track %1: %2").arg(track).arg(parts.join(QStringLiteral(", ")));
}

}  // namespace lyrabox::names
