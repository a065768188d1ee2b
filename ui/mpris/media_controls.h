// SPDX-License-Identifier: GPL-3.0-or-later
// The player on the desktop's media controls: the media keys, the panel's media widget,
// the lock screen and playerctl talk to it over the session bus with the MPRIS 2
// interfaces ("org.mpris.MediaPlayer2" and "org.mpris.MediaPlayer2.Player").
//
// It adds nothing to the player: every command is a click of one of the window's
// buttons (or, for a seek, the move of fast forward or rewind by the amount asked)
// through the controller of the window, run as an event of the window. The controller's
// rules hold for these clicks as for the window's own (one event at a time, a disabled
// button does nothing). A call the controller refuses (a box is open, the button is
// disabled, the window has closed) is answered with an error; one it takes is answered
// before its operation runs, so that the questions and boxes it brings follow in the
// window without keeping the caller waiting. What
// the properties say is the view the controller publishes after each event that ran
// (the poll, a click, the disc's names found), and each change is sent as a
// PropertiesChanged signal. Nothing else of the player is read: the names of the
// tracks come with the view too.
//
// Input from the bus is anyone's: every number a call brings is checked before use.
//
// Thread: the user-interface thread only.
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstddef>
#include <functional>

#include "base/identity.h"
#include "engine/player_controller.h"
#include "engine/player_view.h"
#include "engine/window.h"

namespace lyrabox {

class MprisPlayerAdaptor;

// The bus name and the object of the player.
inline constexpr const char* kMprisServiceName = identity::kBusName;
inline constexpr char kMprisObjectPath[] = "/org/mpris/MediaPlayer2";
inline constexpr char kMprisPlayerInterface[] = "org.mpris.MediaPlayer2.Player";

// What the desktop is told about the player, from the controller's view.
struct MediaView {
  QString status = QStringLiteral("Stopped");  // "Playing", "Paused" or "Stopped"
  QString discId;          // empty without a scanned disc
  int track = 0;           // 0 without a scanned disc
  qlonglong lengthUs = 0;  // the track's length
  qlonglong positionUs = 0;  // within the track
  QString title, album, artist, albumArtist;  // empty while not known
  bool canPlay = false, canPause = false, canGoNext = false, canGoPrevious = false,
       canSeek = false, canControl = false;
};

// What the window does at the desktop's request: come to the front, and close as its
// close box closes it (the close prompt and the unload follow).
struct WindowRequests {
  std::function<void()> raise;
  std::function<void()> close;
};

// The object on the bus; the two interfaces below are its adaptors, and a call that
// reaches them runs in this object's bus context, so its errors are answered here.
class MediaControls final : public QObject, protected QDBusContext {
  Q_OBJECT

 public:
  // `controller` is the window's, and must outlive this object; `window` raises and
  // closes the window.
  MediaControls(PlayerController& controller, WindowRequests window,
                QDBusConnection bus = QDBusConnection::sessionBus());
  ~MediaControls() override;

  // Puts the player on the bus. Without a bus, or with the name taken by another
  // program, says so in one line on standard error and returns false; the player then
  // runs as before, without media controls.
  bool Publish();

  const MediaView& view() const { return view_; }
  // A track whose names are not known is "Track N" of the album "Audio CD".
  QVariantMap Metadata() const;

  // The window's commands. Each clicks `control` through the controller and returns
  // true; when the controller refuses, it answers the call (when it came over the bus)
  // with an error saying why and returns false.
  bool Click(Control control);
  // A click of pause while the player believes the disc plays, of play otherwise: two
  // calls in a row play and then pause.
  bool PlayPause();
  // One move of the play position by `offsetUs` rounded to whole seconds (a half away
  // from zero), forward or back as its sign says, whatever the fast-forward step is;
  // refused as a click of fast forward (forward) or rewind (back) is. Nothing for an
  // offset that rounds to 0. Any 64-bit offset.
  bool Seek(qlonglong offsetUs);
  // To `positionUs` within the track `trackId`, by Seek. Ignored for a track that is
  // not the current one, and for a position before its start or past its end.
  void SetPosition(const QString& trackId, qlonglong positionUs);
  void Raise();
  void Quit();  // as the close box
  // Answers the call being handled, when it came over the bus, with the error `error`.
  void Refuse(const QString& error, const QString& text);

 private:
  // Runs `operation` as the command of `control`: first, when the call came over the
  // bus, answers it, with an error when the controller refuses the control (and then
  // runs nothing). True when it ran.
  bool Press(Control control, const std::function<void()>& operation);
  // After each event of the window: takes the view anew and tells the bus what changed.
  void AfterEvent(const PlayerView& player);
  // Sends the PropertiesChanged signal of the player's interface for `changed`.
  void Announce(const QVariantMap& changed);

  PlayerController& controller_;
  const WindowRequests window_;
  std::size_t observing_;
  QDBusConnection bus_;
  MprisPlayerAdaptor* playerAdaptor_;
  bool published_ = false;
  MediaView view_;
  QElapsedTimer sinceView_;  // how long ago view_ was read, for telling a jump from play
};

// org.mpris.MediaPlayer2: the application.
class MprisRootAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ True)
  Q_PROPERTY(bool CanRaise READ True)
  Q_PROPERTY(bool HasTrackList READ False)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ None)
  Q_PROPERTY(QStringList SupportedMimeTypes READ None)

 public:
  MprisRootAdaptor(MediaControls& controls, QObject* object);
  bool True() const { return true; }
  bool False() const { return false; }
  QString Identity() const { return QString::fromLatin1(identity::kTitle); }
  QString DesktopEntry() const { return QString::fromLatin1(identity::kDesktopId); }
  QStringList None() const { return {}; }

 public slots:
  void Raise() { controls_.Raise(); }
  void Quit() { controls_.Quit(); }

 private:
  MediaControls& controls_;
};

// org.mpris.MediaPlayer2.Player: playback.
class MprisPlayerAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(double Rate READ One)
  Q_PROPERTY(double MinimumRate READ One)
  Q_PROPERTY(double MaximumRate READ One)
  Q_PROPERTY(double Volume READ One)
  Q_PROPERTY(bool CanPlay READ CanPlay)
  Q_PROPERTY(bool CanPause READ CanPause)
  Q_PROPERTY(bool CanGoNext READ CanGoNext)
  Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
  Q_PROPERTY(bool CanSeek READ CanSeek)
  Q_PROPERTY(bool CanControl READ CanControl)

 public:
  MprisPlayerAdaptor(MediaControls& controls, QObject* object);
  QString PlaybackStatus() const { return controls_.view().status; }
  QVariantMap Metadata() const { return controls_.Metadata(); }
  qlonglong Position() const { return controls_.view().positionUs; }
  double One() const { return 1.0; }
  bool CanPlay() const { return controls_.view().canPlay; }
  bool CanPause() const { return controls_.view().canPause; }
  bool CanGoNext() const { return controls_.view().canGoNext; }
  bool CanGoPrevious() const { return controls_.view().canGoPrevious; }
  bool CanSeek() const { return controls_.view().canSeek; }
  bool CanControl() const { return controls_.view().canControl; }

 public slots:
  void Play() { controls_.Click(Control::play); }
  void Pause() { controls_.Click(Control::pause); }
  void PlayPause() { controls_.PlayPause(); }
  void Stop() { controls_.Click(Control::stopbtn); }
  void Next() { controls_.Click(Control::ftrack); }
  void Previous() { controls_.Click(Control::btrack); }
  void Seek(qlonglong Offset) { controls_.Seek(Offset); }
  void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    controls_.SetPosition(TrackId.path(), Position);
  }
  void OpenUri(const QString& Uri);

 signals:
  void Seeked(qlonglong Position);

 private:
  MediaControls& controls_;
};

}  // namespace lyrabox
