// SPDX-License-Identifier: GPL-3.0-or-later
// The media controls on a private session bus, driven as playerctl drives them: the
// window on the demo disc, its clock moved by hand, the boxes scripted.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "bookmarks/disc_id.h"
#include "names/musicbrainz.h"
#include "names/names_lookup.h"
#include "tests/support/answer_server.h"
#include "tests/support/demo_disc_host.h"
#include "ui/main_window.h"
#include "ui/mpris/media_controls.h"

namespace lyrabox {

// Keeps the last value that a PropertiesChanged signal of the player gave each property.
class ChangeRecorder : public QObject {
  Q_OBJECT
 public:
  QVariantMap signalled;
 public slots:
  void PropertiesChanged(const QString&, const QVariantMap& changed, const QStringList&) {
    signalled.insert(changed);
  }
};

namespace {


class MediaControlsOnABus : public ::testing::Test, protected testing::DemoDiscHost {
 protected:
  void SetUp() override {
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(daemon.waitForReadyRead(-1)) << "dbus-daemon did not start";
    const QString address = QString::fromLatin1(daemon.readLine()).trimmed();
    playerBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "player"));
    clientBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "client"));
    ASSERT_TRUE(playerBus->isConnected() && clientBus->isConnected());
    clientBus->connect(kMprisServiceName, kMprisObjectPath, "org.freedesktop.DBus.Properties",
                       "PropertiesChanged", &recorder,
                       SLOT(PropertiesChanged(QString, QVariantMap, QStringList)));
    form.Load();
  }
  void TearDown() override {
    controls.reset();
    QDBusConnection::disconnectFromBus("player");
    QDBusConnection::disconnectFromBus("client");
    // Terminated, not killed, so that the bus removes its socket file from /tmp.
    daemon.terminate();
    daemon.waitForFinished(-1);
  }

  // The media controls of `window` (the fixture's by default) on the bus.
  bool Publish(MainWindow* window = nullptr) {
    MainWindow& shown = window != nullptr ? *window : form;
    controls.reset();
    const WindowRequests requests{[&shown] { shown.Raise(); }, [&shown] { shown.close(); }};
    controls = std::make_unique<MediaControls>(shown.controller(), requests, *playerBus);
    return controls->Publish();
  }
  static QDBusMessage Method(const char* method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(kMprisServiceName, kMprisObjectPath,
                                                       kMprisPlayerInterface, method);
    call.setArguments(arguments);
    return call;
  }
  // A method of the player interface, as playerctl calls it; then the clicks it queued.
  QDBusMessage Call(const char* method, const QVariantList& arguments = {}) {
    QDBusMessage reply = clientBus->call(Method(method, arguments), QDBus::BlockWithGui);
    QCoreApplication::processEvents();
    return reply;
  }
  // The position after the queued clicks have run and a poll has read it.
  qlonglong PolledPosition() {
    QCoreApplication::processEvents();
    form.controller().Tick();
    return Get("Position").toLongLong();
  }
  // A property as a client reads it; the signals sent before it have arrived with it.
  QVariant Get(const char* property, const char* interface = kMprisPlayerInterface) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kMprisServiceName, kMprisObjectPath, "org.freedesktop.DBus.Properties", "Get");
    get << QString::fromLatin1(interface) << QString::fromLatin1(property);
    const QDBusMessage reply = clientBus->call(get, QDBus::BlockWithGui);
    QCoreApplication::processEvents();
    return reply.arguments().value(0).value<QDBusVariant>().variant();
  }
  QVariantMap Metadata() { return qdbus_cast<QVariantMap>(Get("Metadata").value<QDBusArgument>()); }

  QProcess daemon;
  std::unique_ptr<QDBusConnection> playerBus, clientBus;
  ChangeRecorder recorder;

  MainWindow form{platform};
  std::unique_ptr<MediaControls> controls;
};

TEST_F(MediaControlsOnABus, PlayerctlPlaysSkipsAndStopsTheDemoDiscThroughTheButtons) {
  ASSERT_TRUE(Publish());
  EXPECT_TRUE(clientBus->interface()->isServiceRegistered(kMprisServiceName).value());
  EXPECT_EQ(Get("Identity", "org.mpris.MediaPlayer2").toString(), "Lyrabox");

  // Before the first poll has found the disc every button is disabled: refused.
  const QDBusMessage refused = Call("PlayPause");
  EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(refused.errorName(), "io.github.lyrabox.Lyrabox.Error.ButtonDisabled");
  EXPECT_FALSE(Get("CanPlay").toBool());

  form.controller().Tick();  // scans the disc, enables the buttons
  EXPECT_TRUE(Get("CanPlay").toBool());
  EXPECT_EQ(recorder.signalled.value("CanPlay"), QVariant(true));
  QVariantMap metadata = Metadata();
  EXPECT_EQ(metadata.value("xesam:trackNumber").toInt(), 1);
  EXPECT_EQ(metadata.value("xesam:album").toString(), "Twelve Studies");  // its own text
  EXPECT_GT(metadata.value("mpris:length").toLongLong(), 0);
  const QString discId = QString::fromStdString(GetDiscId(disks, "d:\\"));
  EXPECT_EQ(metadata.value("mpris:trackid").value<QDBusObjectPath>().path(),
            "/io/github/lyrabox/Lyrabox/Disc" + discId + "/Track1");

  EXPECT_EQ(Call("PlayPause").type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(Get("PlaybackStatus").toString(), "Stopped") << "until the poll sees the mode";
  clock->Advance(std::chrono::milliseconds(2500));
  form.controller().Tick();
  EXPECT_EQ(Get("PlaybackStatus").toString(), "Playing");
  EXPECT_EQ(Get("Position").toLongLong(), 2'000'000);
  EXPECT_EQ(recorder.signalled.value("PlaybackStatus"), QVariant("Playing"));

  Call("Next");
  EXPECT_EQ(Metadata().value("xesam:trackNumber").toInt(), 2);

  world.boxes.answers = {false};  // "Bookmark this spot now ?" No: stops the disc
  Call("Stop");
  EXPECT_THAT(world.boxes.Questions(), ::testing::ElementsAre("Bookmark this spot now ?"));
  EXPECT_EQ(Get("PlaybackStatus").toString(), "Stopped");
  EXPECT_TRUE(world.boxes.Messages().empty());
}

TEST_F(MediaControlsOnABus, WithoutTheBusOrWithTheNameTakenThePlayerRunsOnAfterOneLine) {
  ASSERT_TRUE(Publish());
  for (const QDBusConnection& bus :
       {*clientBus, QDBusConnection::connectToBus("unix:path=/nonexistent", "none")}) {
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(MediaControls(form.controller(), {}, bus).Publish());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  }

  // The player on the bus still answers.
  form.controller().Tick();
  EXPECT_TRUE(Get("CanPlay").toBool());
}

// Any program on the bus may call: the extremes of every number are answered without
// harm (the sanitizer build checks the arithmetic), and SetPosition ignores a stale
// track, a position before the start and one past the end.
TEST_F(MediaControlsOnABus, NumbersFromTheBusAreSafeAtTheirExtremes) {
  ASSERT_TRUE(Publish());
  form.controller().Tick();
  const QDBusObjectPath track = Metadata().value("mpris:trackid").value<QDBusObjectPath>();
  const qlonglong length = Metadata().value("mpris:length").toLongLong();
  ASSERT_GT(length, 20'000'000);
  const QDBusObjectPath stale(track.path().replace("/Track1", "/Track9"));
  constexpr qlonglong kLowest = std::numeric_limits<qlonglong>::min();
  constexpr qlonglong kHighest = std::numeric_limits<qlonglong>::max();

  for (const auto& [path, position] :
       {std::pair{stale, 10'000'000LL}, {track, -1LL}, {track, length + 1}, {track, kLowest},
        {track, kHighest}}) {
    EXPECT_EQ(Call("SetPosition", {QVariant::fromValue(path), position}).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(PolledPosition(), 0) << path.path().toStdString() << " " << position;
  }
  Call("SetPosition", {QVariant::fromValue(track), 10'000'000LL});
  EXPECT_EQ(PolledPosition(), 10'000'000);
  Call("SetPosition", {QVariant::fromValue(track), 0LL});
  EXPECT_EQ(PolledPosition(), 0);

  // Beyond either end of the disc a seek moves nothing.
  for (qlonglong offset : {0LL, 1LL, -1LL, kLowest, kHighest}) {
    EXPECT_EQ(Call("Seek", {offset}).type(), QDBusMessage::ReplyMessage) << offset;
    EXPECT_EQ(PolledPosition(), 0) << offset;
  }
}

// A seek is one move, the way its sign says and by the amount asked, rounded to whole
// seconds, whatever the fast-forward step is.
TEST_F(MediaControlsOnABus, ASeekMovesByTheAmountAskedWhateverTheStep) {
  ASSERT_TRUE(Publish());
  form.controller().Tick();
  int events = 0;
  form.controller().Observe([&events](const PlayerView&) { ++events; });
  const struct {
    const char* step;  // the fast-forward step, as typed into its box
    qlonglong offsetUs;
    qlonglong positionUs;  // afterwards
  } moves[] = {{"7", 10'000'000, 10'000'000},  {"0", 10'400'000, 20'000'000},
               {"-5", 2'500'000, 23'000'000},  {"-5", -3'499'999, 20'000'000},
               {"5", -20'000'000, 0}};
  for (const auto& move : moves) {
    SCOPED_TRACE(move.offsetUs);
    world.boxes.inputs = {move.step};
    form.controller().ChooseFastForwardSpeed();
    events = 0;
    EXPECT_EQ(Call("Seek", {move.offsetUs}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(events, 1) << "one move";
    EXPECT_EQ(PolledPosition(), move.positionUs);
  }
}

// A command the controller refuses is answered with an error that says why: while a
// box of the window is open, while the button is disabled, once the window has closed.
TEST_F(MediaControlsOnABus, ACommandTheControllerRefusesIsAnsweredWithAnError) {
  ASSERT_TRUE(Publish());
  EXPECT_EQ(Call("Play").errorName(), "io.github.lyrabox.Lyrabox.Error.ButtonDisabled");
  form.controller().Tick();

  QDBusMessage inBox;
  world.boxes.whileOpen = [&] { inBox = Call("Play"); };
  const QDBusMessage stopped = Call("Stop");  // "Bookmark this spot now ?"
  EXPECT_EQ(stopped.type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(inBox.errorName(), "io.github.lyrabox.Lyrabox.Error.Busy");
  EXPECT_EQ(inBox.errorMessage(), "The player's window is waiting for an answer.");
  EXPECT_EQ(Call("Seek", {-5'000'000LL}).type(), QDBusMessage::ReplyMessage);

  ASSERT_TRUE(form.controller().CloseRequest());
  EXPECT_EQ(Call("Play").errorName(), "io.github.lyrabox.Lyrabox.Error.Closed");
  EXPECT_EQ(Call("Seek", {5'000'000LL}).errorName(), "io.github.lyrabox.Lyrabox.Error.Closed");
}

// A media key pressed twice: each PlayPause is decided when its click runs, so the
// second pauses what the first started, even when both calls came before either click
// ran.
TEST_F(MediaControlsOnABus, TwoPlayPauseCallsInARowPlayThenPause) {
  ASSERT_TRUE(Publish());
  form.controller().Tick();
  controls->PlayPause();  // both calls handled before the event loop runs a click
  controls->PlayPause();
  QCoreApplication::processEvents();
  form.controller().Tick();
  EXPECT_EQ(Get("PlaybackStatus").toString(), "Paused");

  // Over the bus, sent without waiting for the replies.
  clientBus->send(Method("PlayPause"));
  clientBus->send(Method("PlayPause"));
  Get("PlaybackStatus");  // both calls have been answered by now, their clicks queued
  QCoreApplication::processEvents();
  form.controller().Tick();
  EXPECT_EQ(Get("PlaybackStatus").toString(), "Paused");
}

// The demo disc as a disc without text of its own, as most discs are.
struct WithoutText : cdaudio::Device {
  explicit WithoutText(cdaudio::Device& disc) : disc(disc) {}
  std::uint32_t Send(std::string_view command, std::string& reply) override {
    return disc.Send(command, reply);
  }
  std::optional<cdaudio::TableOfContents> Contents() override { return disc.Contents(); }
  cdaudio::Device& disc;
};

// The names reach the desktop and the time display's tooltip through the controller's
// view, whether they come from the disc itself or from the service (a local server
// here), and follow the track.
TEST_F(MediaControlsOnABus, TheDiscsNamesAreOnTheMediaControlsAndInTheTooltip) {
  // The demo disc names its tracks itself; nothing is asked.
  testing::AnswerServer unused({404, {}});
  names::NamesLookup asked(disks, {true, unused.Address(), std::chrono::seconds(10)},
                           &names::MakeQtWebClient);
  form.controller().FindNamesWith(asked);
  ASSERT_TRUE(Publish());
  form.controller().Tick();
  QCoreApplication::processEvents();
  EXPECT_EQ(Metadata().value("xesam:title").toString(), "Study in A");
  EXPECT_EQ(Metadata().value("xesam:album").toString(), "Twelve Studies");
  EXPECT_EQ(form.ControlWidget(Control::timeWindow)->toolTip(),
            "Track 1: Study in A, The Lyrabox Demo Disc");
  EXPECT_TRUE(unused.requests.isEmpty());

  // The same disc without text, in a window of its own: the service knows it.
  ASSERT_TRUE(form.controller().CloseRequest());  // the device is the next window's
  WithoutText plain(*device);
  platform::AudioCdChannel plainChannel(plain);
  platform::Platform plainPlatform{plainChannel, disks, world.process, world.boxes};
  const std::string id = names::MusicBrainzDiscId(*plainChannel.Disc());
  testing::AnswerServer service({200, QString(R"({"releases": [{"title": "Served",
      "artist-credit": [{"name": "The Fixtures"}], "media": [{"discs": [{"id": "%1"}],
      "tracks": [{"position": 1, "title": "Green Bar"}, {"position": 2, "title": "Red Bar",
                  "artist-credit": [{"name": "Guest"}]}]}]}]})").arg(id.c_str()).toUtf8()});
  service.Hold();
  names::NamesLookup lookup(disks, {true, service.Address(), std::chrono::seconds(10)},
                            &names::MakeQtWebClient);
  QSignalSpy ended(&lookup, &names::NamesLookup::LookupEnded);
  MainWindow plainForm(plainPlatform);
  plainForm.controller().FindNamesWith(lookup);
  plainForm.Load();
  ASSERT_TRUE(Publish(&plainForm));
  const auto unpublish = qScopeGuard([this] { controls.reset(); });  // before the window goes
  plainForm.controller().Tick();
  EXPECT_EQ(Metadata().value("xesam:title").toString(), "Track 1") << "until the service answers";
  service.Release();
  ASSERT_TRUE(ended.wait(10'000));
  QVariantMap metadata = Metadata();
  EXPECT_EQ(metadata.value("xesam:title").toString(), "Green Bar");
  EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"The Fixtures"});
  EXPECT_EQ(metadata.value("xesam:album").toString(), "Served");
  // The desktop is told, not only asked.
  EXPECT_EQ(qdbus_cast<QVariantMap>(recorder.signalled.value("Metadata").value<QDBusArgument>())
                .value("xesam:title"),
            "Green Bar");
  QWidget* display = plainForm.ControlWidget(Control::timeWindow);
  EXPECT_EQ(display->toolTip(), "Track 1: Green Bar, The Fixtures");

  Call("Next");
  EXPECT_EQ(Metadata().value("xesam:title").toString(), "Red Bar");
  EXPECT_EQ(display->toolTip(), "Track 2: Red Bar, Guest");
  EXPECT_EQ(service.requests.size(), 1);
}

}  // namespace
}  // namespace lyrabox

#include "media_controls_test.moc"
