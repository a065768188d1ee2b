#include "ui/mpris/media_controls.h"

#include <QAbstractButton>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/tell_user.h"
#include "bookmarks/disc_id.h"
#include "engine/player.h"
#include "ui/form1.h"
#include "ui/names/track_names.h"

namespace lyrabox {
namespace {

constexpr qlonglong kMicrosecondsPerSecond = 1'000'000;
// How far the position may stray from where plain playing would have taken it before
// it counts as a jump: the poll shows whole seconds and runs about once a second.
constexpr qlonglong kJumpSlackUs = 2 * kMicrosecondsPerSecond;
// The most fast-forward or rewind steps that one Seek call queues.
constexpr int kMostSeekSteps = 100;

constexpr char kButtonDisabledError[] = "io.github.lyrabox.Lyrabox.Error.ButtonDisabled";
constexpr char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

// A track length as the device gives it, mm:ss:ff at 75 frames a second.
qlonglong LengthToMicroseconds(const std::string& text) {
  int minutes = 0, seconds = 0, frames = 0;
  if (std::sscanf(text.c_str(), "%d:%d:%d", &minutes, &seconds, &frames) != 3) return 0;
  return (minutes * 60LL + seconds) * kMicrosecondsPerSecond +
         frames * kMicrosecondsPerSecond / 75;
}

QString TrackId(const MediaView& view) {
  if (view.track <= 0) return QString::fromLatin1(kNoTrack);
  return QStringLiteral("/io/github/lyrabox/Lyrabox/Disc%1/Track%2")
      .arg(view.discId)
      .arg(view.track);
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

MediaControls::MediaControls(Form1& form, QDBusConnection bus)
    : form_(form), bus_(std::move(bus)) {
  new MprisRootAdaptor(*this, this);
  playerAdaptor_ = new MprisPlayerAdaptor(*this, this);
  view_ = Read();
  sinceView_.start();
  connect(&form_, &Form1::EventRan, this, &MediaControls::AfterEvent);
}

MediaControls::~MediaControls() {
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

MediaView MediaControls::Read() {
  Player& player = form_.player();
  const PlayerState& state = player.state;
  auto enabled = [this](Control control) { return form_.ControlWidget(control)->isEnabled(); };

  MediaView view;
  view.canPlay = enabled(Control::play);
  view.canPause = enabled(Control::pause);
  view.canGoNext = enabled(Control::ftrack);
  view.canGoPrevious = enabled(Control::btrack);
  view.canSeek = enabled(Control::ff) || enabled(Control::rew);
  view.canControl = view.canPlay || view.canPause || view.canGoNext || view.canGoPrevious ||
                    view.canSeek || enabled(Control::stopbtn);
  if (!state.DiscReady) return view;

  // With a scanned disc the poll's last query is the mode, so its reply is still in the
  // poll's buffer: the mode as the last poll saw it.
  const std::string mode = player.StatusReply.Whole();
  if (mode.starts_with("playing")) {
    view.status = QStringLiteral("Playing");
  } else if (mode.starts_with("paused")) {
    view.status = QStringLiteral("Paused");
  }
  // The disc id is read once per scanned disc, not on every poll.
  view.discId = view_.discId.isEmpty()
                    ? QString::fromStdString(GetDiscId(player.platform().disks, player.CdDrive))
                    : view_.discId;
  view.track = state.CurTrack;
  if (state.CurTrack >= 1 && static_cast<std::size_t>(state.CurTrack) < state.TrackLength.size()) {
    view.lengthUs = LengthToMicroseconds(state.TrackLength[state.CurTrack]);
  }
  view.positionUs = (state.CurMin * 60LL + state.CurSec) * kMicrosecondsPerSecond;
  return view;
}

QVariantMap MediaControls::Metadata() const {
  QVariantMap metadata;
  metadata.insert(QStringLiteral("mpris:trackid"),
                  QVariant::fromValue(QDBusObjectPath(TrackId(view_))));
  if (view_.track <= 0) return metadata;
  metadata.insert(QStringLiteral("mpris:length"), view_.lengthUs);
  metadata.insert(QStringLiteral("xesam:trackNumber"), view_.track);
  const names::TrackNames named =
      names_ != nullptr ? names::NamesOfTrack(names_->Names(), view_.track) : names::TrackNames{};
  metadata.insert(QStringLiteral("xesam:title"), named.title.isEmpty()
                                                     ? QStringLiteral("Track %1").arg(view_.track)
                                                     : named.title);
  metadata.insert(QStringLiteral("xesam:album"),
                  named.album.isEmpty() ? QStringLiteral("Audio CD") : named.album);
  if (!named.performer.isEmpty()) {
    metadata.insert(QStringLiteral("xesam:artist"), QStringList{named.performer});
  }
  if (!named.albumPerformer.isEmpty()) {
    metadata.insert(QStringLiteral("xesam:albumArtist"), QStringList{named.albumPerformer});
  }
  return metadata;
}

void MediaControls::ShowNames(const names::NamesLookup& names) {
  names_ = &names;
  connect(&names, &names::NamesLookup::NamesChanged, this, [this] {
    if (published_) Announce({{QStringLiteral("Metadata"), Metadata()}});
  });
}

void MediaControls::Announce(const QVariantMap& changed) {
  QDBusMessage signal = QDBusMessage::createSignal(
      QString::fromLatin1(kMprisObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("PropertiesChanged"));
  signal << QString::fromLatin1(kMprisPlayerInterface) << changed << QStringList();
  bus_.send(signal);
}

void MediaControls::AfterEvent() {
  const MediaView before = view_;
  const qlonglong elapsedUs = sinceView_.nsecsElapsed() / 1000;
  if (!form_.player().state.DiscReady) view_.discId.clear();  // the next disc is read anew
  view_ = Read();
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
      view_.lengthUs != before.lengthUs) {
    changed.insert(QStringLiteral("Metadata"), Metadata());
  }
  if (!changed.isEmpty()) Announce(changed);
  if (Jumped(before, view_, elapsedUs)) emit playerAdaptor_->Seeked(view_.positionUs);
}

bool MediaControls::Click(Control control, int times) {
  auto* button = qobject_cast<QAbstractButton*>(form_.ControlWidget(control));
  if (button == nullptr || !button->isEnabled()) {
    Refuse(QString::fromLatin1(kButtonDisabledError),
           QStringLiteral("The %1 button is disabled now.")
               .arg(QString::fromLatin1(ControlName(control))));
    return false;
  }
  // The window runs the click as its own event, through its guard; a click on a
  // button that has been disabled meanwhile does nothing.
  for (int i = 0; i < times; ++i) {
    QMetaObject::invokeMethod(button, [button] { button->click(); }, Qt::QueuedConnection);
  }
  return true;
}

void MediaControls::Refuse(const QString& error, const QString& text) {
  if (calledFromDBus()) sendErrorReply(error, text);
}

bool MediaControls::PlayPause() {
  return Click(form_.player().state.Playing ? Control::pause : Control::play);
}

bool MediaControls::Seek(qlonglong offsetUs) {
  if (offsetUs == 0) return true;
  const qlonglong stepUs =
      std::max<qlonglong>(form_.player().state.FFSpeed, 1) * kMicrosecondsPerSecond;
  const qlonglong steps = std::clamp<qlonglong>(
      std::llround(static_cast<double>(std::llabs(offsetUs)) / static_cast<double>(stepUs)), 1,
      kMostSeekSteps);
  return Click(offsetUs > 0 ? Control::ff : Control::rew, static_cast<int>(steps));
}

void MediaControls::Raise() {
  QMetaObject::invokeMethod(
      &form_,
      [this] {
        form_.showNormal();
        form_.raise();
        form_.activateWindow();
      },
      Qt::QueuedConnection);
}

void MediaControls::Quit() {
  QMetaObject::invokeMethod(&form_, [this] { form_.close(); }, Qt::QueuedConnection);
}

MprisRootAdaptor::MprisRootAdaptor(MediaControls& controls, QObject* object)
    : QDBusAbstractAdaptor(object), controls_(controls) {}

MprisPlayerAdaptor::MprisPlayerAdaptor(MediaControls& controls, QObject* object)
    : QDBusAbstractAdaptor(object), controls_(controls) {}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
  // A position for a track that is no longer the current one is stale: ignored.
  if (TrackId.path() != controls_.Metadata().value("mpris:trackid").value<QDBusObjectPath>().path()) {
    return;
  }
  controls_.Seek(Position - controls_.view().positionUs);
}

void MprisPlayerAdaptor::OpenUri(const QString&) {
  controls_.Refuse(QDBusError::errorString(QDBusError::NotSupported),
                   QStringLiteral("Lyrabox plays only the disc in its drive."));
}

}  // namespace lyrabox
