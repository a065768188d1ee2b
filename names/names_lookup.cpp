// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/names_lookup.h"

#include <QTimer>
#include <cstdlib>
#include <optional>
#include <utility>

#include "base/ascii.h"
#include "base/tell_user.h"
#include "names/environment.h"
#include "names/musicbrainz.h"
#include "names/names_cache.h"

namespace lyrabox::names {

namespace {

// The service asks every program to name itself and a way to reach its makers.
constexpr char kUserAgent[] = "Lyrabox/" LYRABOX_VERSION " ( https://github.com/lyrabox/lyrabox )";
// A real answer is a few hundred kilobytes at most; a larger one is not read.
constexpr qint64 kMostAnswerBytes = 8 * 1024 * 1024;

}  // namespace

LookupSettings LookupSettings::FromEnvironment() {
  LookupSettings settings;
  if (const char* lookup = std::getenv(kLookupVariable)) {
    settings.enabled = !ascii::EqualsIgnoringCase(lookup, "off");
  }
  if (const char* service = std::getenv(kServiceVariable); service != nullptr && *service != '\0') {
    settings.service = QUrl(QString::fromLocal8Bit(service));
  }
  return settings;
}

std::unique_ptr<NamesSource> NamesFromEnvironment(platform::Disks& disks) {
  return std::make_unique<NamesLookup>(disks, LookupSettings::FromEnvironment(),
                                       &WebClientFromModule);
}

NamesLookup::NamesLookup(platform::Disks& disks, LookupSettings settings, WebClientFactory web,
                         QObject* parent)
    : QObject(parent), disks_(disks), settings_(std::move(settings)), makeWeb_(std::move(web)) {}

NamesLookup::~NamesLookup() {
  // A request still under way is dropped unheard, while this object is still whole.
  web_.reset();
}

void NamesLookup::Find(const platform::DiscSnapshot& disc, std::function<void(DiscText)> found) {
  // Out of the event that noticed the disc: the cache is a file to read.
  QTimer::singleShot(0, this, [this, disc, found = std::move(found)] { Look(disc, found); });
}

void NamesLookup::Look(const platform::DiscSnapshot& disc, const Found& found) {
  const std::string discId = MusicBrainzDiscId(disc);
  if (discId.empty()) return;
  if (std::optional<DiscText> kept = ReadCachedNames(disks_, discId)) return found(*kept);
  if (const auto unkept = unkept_.find(discId); unkept != unkept_.end()) {
    return found(unkept->second);
  }
  if (!settings_.enabled || !asked_.insert(discId).second) return;
  Ask(discId, disc.firstTrack, found);
}

void NamesLookup::Ask(const std::string& discId, int firstTrack, Found found) {
  if (!web_) {
    QString why;
    web_ = makeWeb_(why);
    if (!web_) return Answered({false, 0, why, {}}, discId, firstTrack, found);
  }
  web_->Get({LookupAddress(settings_.service, discId), kUserAgent, "application/json",
             settings_.deadline, kMostAnswerBytes},
            [this, discId, firstTrack, found = std::move(found)](const WebAnswer& answer) {
              Answered(answer, discId, firstTrack, found);
            });
}

void NamesLookup::Answered(const WebAnswer& answer, const std::string& discId, int firstTrack,
                           const Found& found) {
  std::optional<DiscText> names;
  QString failure;
  if (answer.status == 404) {
    failure = QStringLiteral("the service knows no release with this disc");
  } else if (!answer.ok) {
    failure = answer.error;
  } else if (names = NamesFromAnswer(answer.body, discId, firstTrack); !names) {
    failure = QStringLiteral("its answer names no release with this disc");
  } else if (!CacheNames(disks_, discId, *names)) {
    unkept_[discId] = *names;
    TellUser("The names of the disc " + discId + " could not be kept in " + CacheFile(discId) +
             ": they last only until the player ends.");
  }
  if (!failure.isEmpty()) {
    TellUser("The names of the disc " + discId + " could not be fetched from " +
             settings_.service.toDisplayString().toStdString() + ": " + failure.toStdString() +
             ".");
  }
  if (names) found(std::move(*names));
  emit LookupEnded();
}

}  // namespace lyrabox::names
