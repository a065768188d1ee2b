// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mpris/media_controls.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMetaObject>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "base/tell_user.h"

namespace lyrabox {
namespace {

constexpr qlonglong kMicrosecondsPerSecond = 1'000'000;
// How far the position may stray from where plain playing would have taken it before
// it counts as a jump: the poll shows whole seconds and runs about once a second.
constexpr qlonglong kJumpSlackUs = 2 * kMicrosecondsPerSecond;

constexpr char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

// The error a refused command is answered with: its name and its text.
std::pair<QString, QString> RefusalError(Refusal refusal, Control control) {
  const QString prefix = QString::fromLatin1(identity::kDesktopId) + QStringLiteral(".Error.");
  switch (refusal) {
    case Refusal::AnotherEvent:
      return {prefix + QStringLiteral("Busy"),
              QStringLiteral("The player's window is waiting for an answer.")};
    case Refusal::Unloaded:
      return {prefix + QStringLiteral("Closed"), QStringLiteral("The player's window has closed.")};
    case Refusal::Disabled:
    case Refusal::None:
      break;
  }
  const QString button = QString::fromLatin1(ControlName(control));
  return {prefix + QStringLiteral("ButtonDisabled"),
          QStringLiteral("The %1 button is disabled now.").arg(button)};
}

qlonglong Microseconds(auto duration) {
  return std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
}

QString TrackId(const MediaView& view) {
  if (view.track <= 0) return QString::fromLatin1(kNoTrack);
  // The desktop id as a path: "/io/github/lyrabox/Lyrabox/Disc.../Track...".
  return QStringLiteral("/%1/Disc%2/Track%3")
      .arg(QString::fromLatin1(identity::kDesktopId).replace('.', '/'))
      .arg(view.discId)
      .arg(view.track);
}

MediaView FromPlayer(const PlayerView& player) {
  MediaView view;
  view.canPlay = player.Enabled(Control::play);
  view.canPause = player.Enabled(Control::pause);
  view.canGoNext = player.Enabled(Control::ftrack);
  view.canGoPrevious = player.Enabled(Control::btrack);
  view.canSeek = player.Enabled(Control::ff) || player.Enabled(Control::rew);
  view.canControl = view.canPlay || view.canPause || view.canGoNext || view.canGoPrevious ||
                    view.canSeek || player.Enabled(Control::stopbtn);
  switch (player.mode) {
    case PlayMode::Playing: view.status = QStringLiteral("Playing"); break;
    case PlayMode::Paused: view.status = QStringLiteral("Paused"); break;
    case PlayMode::Stopped: break;
  }
  view.discId = QString::fromStdString(player.discId);
  view.track = player.track;
  view.lengthUs = Microseconds(player.trackLength);
  view.positionUs = Microseconds(player.position);
  view.title = QString::fromStdString(player.names.title);
  view.album = QString::fromStdString(player.names.album);
  view.artist = QString::fromStdString(player.names.performer);
  view.albumArtist = QString::fromStdString(player.names.albumPerformer);
  return view;
}

// Whether the position moved other than by playing on since the last view.
bool Jumped(const MediaView& before, const MediaView& now, qlonglong elapsedUs) {
  if (now.track <= 0) return false;
  if (now.track != before.track || now.discId != before.discId) {
    return now.positionUs > kJumpSlackUs;  // a new track, entered other than at its start
  }
  const qlonglong played = before.status == QLatin1String("Playing") ? elapsedUs : 0;
  return std::llabs(now.positionUs - (before.positionUs + played)) > kJumpSlackUs;
}

}  // namespace

MediaControls::MediaControls(PlayerController& controller, WindowRequests window,
                             QDBusConnection bus)
    : controller_(controller), window_(std::move(window)), bus_(std::move(bus)) {
  new MprisRootAdaptor(*this, this);
  playerAdaptor_ = new MprisPlayerAdaptor(*this, this);
  observing_ = controller_.Observe([this](const PlayerView& player) { AfterEvent(player); });
  view_ = FromPlayer(controller_.View());
  sinceView_.start();
}

MediaControls::~MediaControls() {
  controller_.StopObserving(observing_);
  if (published_) {
    bus_.unregisterService(QString::fromLatin1(kMprisServiceName));
    bus_.unregisterObject(QString::fromLatin1(kMprisObjectPath));
  }
}

bool MediaControls::Publish() {
  if (!bus_.isConnected()) {
    TellUser("No session bus: media keys and the desktop's media controls cannot reach "
             "the player.");
    return false;
  }
  if (!bus_.registerObject(QString::fromLatin1(kMprisObjectPath), this)) {
    TellUser("The player could not be put on the session bus: media keys and the "
             "desktop's media controls cannot reach it.");
    return false;
  }
  if (!bus_.registerService(QString::fromLatin1(kMprisServiceName))) {
    bus_.unregisterObject(QString::fromLatin1(kMprisObjectPath));
    TellUser(std::string("Another program holds the name ") + kMprisServiceName +
             " on the session bus: media keys and the desktop's media controls reach that "
             "program instead.");
    return false;
  }
  published_ = true;
  return true;
}

QVariantMap MediaControls::Metadata() const {
  QVariantMap metadata;
  metadata.insert(QStringLiteral("mpris:trackid"),
                  QVariant::fromValue(QDBusObjectPath(TrackId(view_))));
  if (view_.track <= 0) return metadata;
  metadata.insert(QStringLiteral("mpris:length"), view_.lengthUs);
  metadata.insert(QStringLiteral("xesam:trackNumber"), view_.track);
  metadata.insert(QStringLiteral("xesam:title"), view_.title.isEmpty()
                                                     ? QStringLiteral("Track %1").arg(view_.track)
                                                     : view_.title);
  metadata.insert(QStringLiteral("xesam:album"),
                  view_.album.isEmpty() ? QStringLiteral("Audio CD") : view_.album);
  if (!view_.artist.isEmpty()) {
    metadata.insert(QStringLiteral("xesam:artist"), QStringList{view_.artist});
  }
  if (!view_.albumArtist.isEmpty()) {
    metadata.insert(QStringLiteral("xesam:albumArtist"), QStringList{view_.albumArtist});
  }
  return metadata;
}

void MediaControls::Announce(const QVariantMap& changed) {
  QDBusMessage signal = QDBusMessage::createSignal(
      QString::fromLatin1(kMprisObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("PropertiesChanged"));
  signal << QString::fromLatin1(kMprisPlayerInterface) << changed << QStringList();
  bus_.send(signal);
}

void MediaControls::AfterEvent(const PlayerView& player) {
  const MediaView before = view_;
  const qlonglong elapsedUs = sinceView_.nsecsElapsed() / 1000;
  view_ = FromPlayer(player);
  sinceView_.restart();
  if (!published_) return;

  QVariantMap changed;
  auto note = [&changed](const char* name, const QVariant& now, const QVariant& was) {
    if (now != was) changed.insert(QString::fromLatin1(name), now);
  };
  note("PlaybackStatus", view_.status, before.status);
  note("CanPlay", view_.canPlay, before.canPlay);
  note("CanPause", view_.canPause, before.canPause);
  note("CanGoNext", view_.canGoNext, before.canGoNext);
  note("CanGoPrevious", view_.canGoPrevious, before.canGoPrevious);
  note("CanSeek", view_.canSeek, before.canSeek);
  note("CanControl", view_.canControl, before.canControl);
  if (view_.track != before.track || view_.discId != before.discId ||
      view_.lengthUs != before.lengthUs || view_.title != before.title ||
      view_.album != before.album || view_.artist != before.artist ||
      view_.albumArtist != before.albumArtist) {
    changed.insert(QStringLiteral("Metadata"), Metadata());
  }
  if (!changed.isEmpty()) Announce(changed);
  if (Jumped(before, view_, elapsedUs)) emit playerAdaptor_->Seeked(view_.positionUs);
}

bool MediaControls::Press(Control control, const std::function<void()>& operation) {
  if (const Refusal refusal = controller_.Refuses(control); refusal != Refusal::None) {
    const auto [error, text] = RefusalError(refusal, control);
    Refuse(error, text);
    return false;
  }
  if (calledFromDBus()) {
    setDelayedReply(true);
    connection().send(message().createReply());
  }
  operation();
  return true;
}

bool MediaControls::Click(Control control) {
  return Press(control, [this, control] { controller_.Click(control); });
}

void MediaControls::Refuse(const QString& error, const QString& text) {
  if (calledFromDBus()) sendErrorReply(error, text);
}

bool MediaControls::PlayPause() {
  return Click(controller_.View().playing ? Control::pause : Control::play);
}

bool MediaControls::Seek(qlonglong offsetUs) {
  // The distance as an unsigned number: the most negative offset has no positive twin.
  const std::uint64_t distance = offsetUs < 0 ? 0 - static_cast<std::uint64_t>(offsetUs)
                                              : static_cast<std::uint64_t>(offsetUs);
  const auto seconds = static_cast<std::int64_t>(
      (distance + kMicrosecondsPerSecond / 2) / static_cast<std::uint64_t>(kMicrosecondsPerSecond));
  if (seconds == 0) return true;
  const std::chrono::seconds offset(offsetUs < 0 ? -seconds : seconds);
  return Press(offsetUs < 0 ? Control::rew : Control::ff,
               [this, offset] { controller_.Seek(offset); });
}

void MediaControls::SetPosition(const QString& trackId, qlonglong positionUs) {
  // A position for a track that is no longer the current one is stale.
  if (trackId != TrackId(view_)) return;
  if (positionUs < 0 || positionUs > view_.lengthUs) return;
  // Both within the track: the difference cannot overflow.
  Seek(positionUs - view_.positionUs);
}

void MediaControls::Raise() {
  QMetaObject::invokeMethod(this, [this] { window_.raise(); }, Qt::QueuedConnection);
}

void MediaControls::Quit() {
  QMetaObject::invokeMethod(this, [this] { window_.close(); }, Qt::QueuedConnection);
}

MprisRootAdaptor::MprisRootAdaptor(MediaControls& controls, QObject* object)
    : QDBusAbstractAdaptor(object), controls_(controls) {}

MprisPlayerAdaptor::MprisPlayerAdaptor(MediaControls& controls, QObject* object)
    : QDBusAbstractAdaptor(object), controls_(controls) {}

void MprisPlayerAdaptor::OpenUri(const QString&) {
  controls_.Refuse(QDBusError::errorString(QDBusError::NotSupported),
                   QStringLiteral("Lyrabox plays only the disc in its drive."));
}

}  // namespace lyrabox
