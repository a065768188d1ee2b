// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/musicbrainz.h"

#include <discid/discid.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>
#include <array>
#include <memory>

namespace lyrabox::names {

namespace {

// Between the last audio track of an enhanced CD and its data session.
constexpr std::int64_t kSessionGapFrames = 11400;

struct DiscIdDeleter {
  void operator()(DiscId* disc) const { discid_free(disc); }
};

// "name" and "joinphrase" of each credited artist, as the service spells the credit.
std::string Credit(const QJsonValue& credit) {
  QString text;
  for (const QJsonValue& part : credit.toArray()) {
    text += part[QLatin1String("name")].toString() + part[QLatin1String("joinphrase")].toString();
  }
  return CleanField(text.toStdString());
}

std::string Field(const QJsonValue& object, const char* name) {
  return CleanField(object[QLatin1String(name)].toString().toStdString());
}

// The first medium of `release` that lists the disc, or nothing.
std::optional<QJsonObject> MediumWithDisc(const QJsonValue& release, const QString& discId) {
  for (const QJsonValue& medium : release[QLatin1String("media")].toArray()) {
    for (const QJsonValue& disc : medium[QLatin1String("discs")].toArray()) {
      if (disc[QLatin1String("id")].toString() == discId) return medium.toObject();
    }
  }
  return std::nullopt;
}

// The disc's track that a medium's track at `position` is, for a disc whose first
// track is `firstTrack`; nothing for a position that names no track of a disc. The
// number comes from the network: it is checked before any arithmetic on it.
std::optional<int> TrackAtPosition(const QJsonValue& position, int firstTrack) {
  const int at = position.toInt();  // 0 for what is no whole number within int's range
  if (at < 1 || at > kLastTrackNumber - firstTrack + 1) return std::nullopt;
  return firstTrack + at - 1;
}

// Whether `a` comes before `b` by the rule of NamesFromAnswer (the service's order
// decides what this leaves equal).
bool Preferred(const QJsonValue& a, const QJsonValue& b) {
  const bool officialA = a[QLatin1String("status")].toString() == QLatin1String("Official");
  const bool officialB = b[QLatin1String("status")].toString() == QLatin1String("Official");
  if (officialA != officialB) return officialA;
  const QString dateA = a[QLatin1String("date")].toString();
  const QString dateB = b[QLatin1String("date")].toString();
  if (dateA.isEmpty() || dateB.isEmpty()) return !dateA.isEmpty() && dateB.isEmpty();
  // Dates are YYYY, YYYY-MM or YYYY-MM-DD: as text they sort as dates.
  return dateA < dateB;
}

}  // namespace

std::string MusicBrainzDiscId(const platform::DiscSnapshot& disc) {
  const auto& tracks = disc.tracks;
  std::size_t audio = tracks.size();  // the audio tracks: the first `audio` of them
  while (audio > 0 && !tracks[audio - 1].audio) --audio;
  const int last = disc.firstTrack + static_cast<int>(audio) - 1;
  if (audio == 0 || disc.firstTrack < 1 || last > kLastTrackNumber) return {};
  const Frames leadOut =
      audio == tracks.size() ? disc.leadOut : tracks[audio].start - Frames(kSessionGapFrames);
  std::array<int, 100> offsets{};
  offsets[0] = static_cast<int>(leadOut.count());
  for (std::size_t i = 0; i < audio; ++i) {
    const std::size_t number = static_cast<std::size_t>(disc.firstTrack) + i;
    offsets[number] = static_cast<int>(tracks[i].start.count());
  }
  const std::unique_ptr<DiscId, DiscIdDeleter> id(discid_new());
  if (!id || !discid_put(id.get(), disc.firstTrack, last, offsets.data())) return {};
  return discid_get_id(id.get());
}

QUrl LookupAddress(const QUrl& service, const std::string& discId) {
  QUrl address = service;
  QString path = address.path();
  if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
  address.setPath(path + QStringLiteral("ws/2/discid/") + QString::fromStdString(discId));
  QUrlQuery query;
  query.addQueryItem(QStringLiteral("inc"), QStringLiteral("recordings+artist-credits"));
  // Only releases: an anonymous stub's names are not worth showing.
  query.addQueryItem(QStringLiteral("cdstubs"), QStringLiteral("no"));
  query.addQueryItem(QStringLiteral("fmt"), QStringLiteral("json"));
  address.setQuery(query);
  return address;
}

std::optional<DiscText> NamesFromAnswer(const QByteArray& json, const std::string& discId,
                                        int firstTrack) {
  if (firstTrack < 1 || firstTrack > kLastTrackNumber) return std::nullopt;
  const QJsonDocument document = QJsonDocument::fromJson(json);
  if (!document.isObject()) return std::nullopt;
  const QString id = QString::fromStdString(discId);

  std::optional<QJsonValue> chosen;
  std::optional<QJsonObject> medium;
  for (const QJsonValue& release : document[QLatin1String("releases")].toArray()) {
    std::optional<QJsonObject> withDisc = MediumWithDisc(release, id);
    if (!withDisc || (chosen && !Preferred(release, *chosen))) continue;
    chosen = release;
    medium = std::move(withDisc);
  }
  if (!chosen) return std::nullopt;

  DiscText names;
  names.album = {Field(*chosen, "title"), Credit((*chosen)[QLatin1String("artist-credit")])};
  for (const QJsonValue& track : (*medium)[QLatin1String("tracks")].toArray()) {
    const std::optional<int> number = TrackAtPosition(track[QLatin1String("position")], firstTrack);
    if (!number) continue;
    TitleAndPerformer entry{Field(track, "title"), Credit(track[QLatin1String("artist-credit")])};
    if (!entry.Empty()) names.tracks[*number] = std::move(entry);
  }
  if (names.Empty()) return std::nullopt;
  return names;
}

}  // namespace lyrabox::names
