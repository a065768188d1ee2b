#include "ui/names/names_lookup.h"

#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <cstdlib>
#include <utility>

#include "base/ascii.h"
#include "ui/names/musicbrainz.h"
#include "ui/names/names_cache.h"

Q_LOGGING_CATEGORY(lcNames, "lyrabox.names", QtInfoMsg)

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
                         QObject* parent)
    : QObject(parent), device_(device), disks_(disks), settings_(std::move(settings)) {}

NamesLookup::~NamesLookup() {
  // A request still under way is dropped unheard, while this object is still whole.
  if (network_ != nullptr) {
    for (QNetworkReply* reply : network_->findChildren<QNetworkReply*>()) reply->disconnect(this);
    delete network_;
  }
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
  if (network_ == nullptr) network_ = new QNetworkAccessManager(this);
  QNetworkRequest request(LookupAddress(settings_.service, discId));
  request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(kUserAgent));
  request.setRawHeader("Accept", "application/json");
  request.setTransferTimeout(static_cast<int>(settings_.timeout.count()));
  QNetworkReply* reply = network_->get(request);
  connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
    if (received > kMostAnswerBytes) reply->abort();
  });
  connect(reply, &QNetworkReply::finished, this,
          [this, reply, discId] { Answered(reply, discId); });
}

void NamesLookup::Answered(QNetworkReply* reply, const std::string& discId) {
  reply->deleteLater();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  std::optional<cdaudio::DiscText> found;
  if (reply->error() != QNetworkReply::NoError) {
    qCDebug(lcNames) << "No names for disc" << discId.c_str() << "from"
                     << settings_.service.toDisplayString() << ":" << status
                     << reply->errorString();
  } else if (found = NamesFromAnswer(reply->readAll(), discId); !found) {
    qCDebug(lcNames) << "The answer about disc" << discId.c_str() << "names no release of it";
  } else if (!CacheNames(disks_, discId, *found)) {
    qCDebug(lcNames) << "The names of disc" << discId.c_str() << "could not be kept";
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
