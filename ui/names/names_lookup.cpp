#include "ui/names/names_lookup.h"

#include <QTimer>
#include <cstdlib>
#include <utility>

#include "base/ascii.h"
#include "base/tell_user.h"
#include "ui/names/musicbrainz.h"
#include "ui/names/names_cache.h"

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

NamesLookup::NamesLookup(cdaudio::Device& device, platform::Disks& disks, LookupSettings settings,
                         WebClientFactory web, QObject* parent)
    : QObject(parent),
      device_(device),
      disks_(disks),
      settings_(std::move(settings)),
      makeWeb_(std::move(web)) {}

NamesLookup::~NamesLookup() {
  // A request still under way is dropped unheard, while this object is still whole.
  web_.reset();
}

void NamesLookup::Follow() {
  std::optional<cdaudio::TableOfContents> now = device_.Contents();
  if (now == followed_ || lookPending_) return;
  followed_ = std::move(now);
  lookPending_ = true;
  QTimer::singleShot(0, this, [this] {
    lookPending_ = false;
    Look();
  });
}

void NamesLookup::Look() {
  discId_.clear();
  if (!followed_) return Show({});
  if (const cdaudio::SharedDiscText text = device_.Text(); text && !text->Empty()) {
    return Show(*text);
  }
  discId_ = MusicBrainzDiscId(*followed_);
  if (discId_.empty()) return Show({});
  if (std::optional<cdaudio::DiscText> kept = ReadCachedNames(disks_, discId_)) {
    return Show(std::move(*kept));
  }
  Show({});
  const QString id = QString::fromStdString(discId_);
  if (!settings_.enabled || asked_.contains(id)) return;
  asked_.insert(id);
  Ask(discId_);
}

void NamesLookup::Ask(const std::string& discId) {
  if (!web_) {
    QString why;
    web_ = makeWeb_(why);
    if (!web_) {
      Answered({false, 0, why, {}}, discId);
      return;
    }
  }
  web_->Get({LookupAddress(settings_.service, discId), kUserAgent, "application/json",
             settings_.deadline, kMostAnswerBytes},
            [this, discId](WebAnswer answer) { Answered(answer, discId); });
}

void NamesLookup::Answered(const WebAnswer& answer, const std::string& discId) {
  std::optional<cdaudio::DiscText> found;
  QString failure;
  if (answer.status == 404) {
    failure = QStringLiteral("the service knows no release with this disc");
  } else if (!answer.ok) {
    failure = answer.error;
  } else if (found = NamesFromAnswer(answer.body, discId); !found) {
    failure = QStringLiteral("its answer names no release with this disc");
  } else if (!CacheNames(disks_, discId, *found)) {
    TellUser("The names of the disc " + discId + " could not be kept in " + CacheFile(discId) +
             ": they last only until the player ends.");
  }
  if (!failure.isEmpty()) {
    TellUser("The names of the disc " + discId + " could not be fetched from " +
             settings_.service.toDisplayString().toStdString() + ": " + failure.toStdString() +
             ".");
  }
  if (found && discId == discId_) Show(std::move(*found));
  emit LookupEnded();
}

void NamesLookup::Show(cdaudio::DiscText names) {
  if (names == names_) return;
  names_ = std::move(names);
  emit NamesChanged();
}

}  // namespace lyrabox::names
