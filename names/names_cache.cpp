// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/names_cache.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include "bookmarks/bookmark_file.h"
#include "platform/runtime_error.h"

namespace lyrabox::names {

namespace {

const std::string kCacheFolder = std::string(kDataDirectory) + "names";

bool IsDiscId(const std::string& id) {
  if (id.empty() || id.size() > 64) return false;
  for (const char c : id) {
    const bool letterOrDigit =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letterOrDigit && c != '.' && c != '_' && c != '-') return false;
  }
  return true;
}

QJsonObject Entry(const TitleAndPerformer& entry) {
  return {{"title", QString::fromStdString(entry.title)},
          {"performer", QString::fromStdString(entry.performer)}};
}

TitleAndPerformer EntryOf(const QJsonValue& value) {
  return {CleanField(value[QLatin1String("title")].toString().toStdString()),
          CleanField(value[QLatin1String("performer")].toString().toStdString())};
}

}  // namespace

std::string CacheFile(const std::string& discId) {
  if (!IsDiscId(discId)) return {};
  return kCacheFolder + "\\" + discId + ".json";
}

std::optional<DiscText> NamesFromCacheFile(std::string_view content, const std::string& discId) {
  const QJsonDocument document =
      QJsonDocument::fromJson(QByteArray(content.data(), static_cast<qsizetype>(content.size())));
  if (!document.isObject() ||
      document[QLatin1String("disc")].toString() != QString::fromStdString(discId)) {
    return std::nullopt;
  }
  DiscText names;
  names.album = EntryOf(document[QLatin1String("album")]);
  for (const QJsonValue& track : document[QLatin1String("tracks")].toArray()) {
    const int number = track[QLatin1String("number")].toInt();
    if (number >= 1 && number <= kLastTrackNumber) names.tracks[number] = EntryOf(track);
  }
  if (names.Empty()) return std::nullopt;
  return names;
}

std::string CacheFileContent(const std::string& discId, const DiscText& names) {
  QJsonArray tracks;
  for (const auto& [number, entry] : names.tracks) {
    QJsonObject track = Entry(entry);
    track.insert(QStringLiteral("number"), number);
    tracks.append(track);
  }
  const QJsonObject document{{"disc", QString::fromStdString(discId)},
                             {"album", Entry(names.album)},
                             {"tracks", tracks}};
  return QJsonDocument(document).toJson().toStdString();
}

std::optional<DiscText> ReadCachedNames(platform::Disks& disks, const std::string& discId) {
  const std::string file = CacheFile(discId);
  if (file.empty() || !disks.OrdinaryFileExists(file)) return std::nullopt;
  try {
    return NamesFromCacheFile(disks.ReadTextFile(file), discId);
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

bool CacheNames(platform::Disks& disks, const std::string& discId, const DiscText& names) {
  const std::string file = CacheFile(discId);
  if (file.empty()) return false;
  try {
    SaveDataFile(disks, file, CacheFileContent(discId, names));
  } catch (const RuntimeError&) {
    return false;
  }
  return true;
}

}  // namespace lyrabox::names
