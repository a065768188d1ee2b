// SPDX-License-Identifier: GPL-3.0-or-later
// The names of a disc: its MusicBrainz disc id, and the lookup against a small HTTP
// server on the loopback address that answers as each row of the table says.
#include "names/names_lookup.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include "names/musicbrainz.h"
#include "names/names_cache.h"
#include "tests/fakes/fakes.h"
#include "tests/support/answer_server.h"

namespace lyrabox::names {
namespace {

using lyrabox::testing::AnswerServer;
using lyrabox::testing::FakeDisks;

// A disc whose MusicBrainz id is known: 15 audio tracks, and, when `dataTrack`, a data
// track in a second session after them, as on an enhanced CD.
platform::DiscSnapshot KnownDisc(bool dataTrack = false) {
  platform::DiscSnapshot disc;
  for (const int start : {150, 17510, 33275, 45910, 57805, 78310, 94650, 109580, 132010, 149160,
                          165115, 177710, 203325, 215555, 235590}) {
    disc.tracks.push_back({Frames(start), true});
  }
  disc.leadOut = Frames(258725);
  if (dataTrack) {
    disc.tracks.push_back({Frames(258725 + 11400), false});
    disc.leadOut = Frames(300000);
  }
  return disc;
}
constexpr char kKnownId[] = "TqvKjMu7dMliSfmVEBtrL7sBSno-";

TEST(MusicBrainzDiscIdTest, IsComputedFromTheAudioTracksOfTheTableOfContents) {
  EXPECT_EQ(MusicBrainzDiscId(KnownDisc()), kKnownId);
  EXPECT_EQ(MusicBrainzDiscId(KnownDisc(/*dataTrack=*/true)), kKnownId);
  EXPECT_EQ(LookupAddress(QUrl("http://127.0.0.1:8080/base"), kKnownId).toString(),
            QString("http://127.0.0.1:8080/base/ws/2/discid/%1"
                    "?inc=recordings+artist-credits&cdstubs=no&fmt=json")
                .arg(kKnownId));
}

// Two releases hold the known disc: a later reissue listed first, and the original,
// whose second medium is this disc. The original is the one taken.
const QByteArray kFound = QString(R"({"id": "%1", "releases": [
  {"title": "Reissue", "status": "Official", "date": "2011-03-07",
   "artist-credit": [{"name": "Later Band", "joinphrase": ""}],
   "media": [{"position": 1, "discs": [{"id": "%1"}],
              "tracks": [{"position": 1, "title": "Wrong", "artist-credit": []}]}]},
  {"title": "Songs for Testing", "status": "Official", "date": "1999-05",
   "artist-credit": [{"name": "The Fixtures", "joinphrase": " & "}, {"name": "Friend", "joinphrase": ""}],
   "media": [{"position": 1, "discs": [{"id": "another"}], "tracks": []},
             {"position": 2, "discs": [{"id": "%1"}],
              "tracks": [{"position": 1, "title": "Green Bar", "artist-credit": [{"name": "The Fixtures"}]},
                         {"position": 2, "title": "Red\nBar", "artist-credit": [{"name": "Guest", "joinphrase": ""}]}]}]},
  {"title": "Bootleg", "status": "Bootleg", "date": "1990",
   "media": [{"discs": [{"id": "%1"}], "tracks": [{"position": 1, "title": "Wrong"}]}]}
]})").arg(kKnownId).toUtf8();

DiscText FoundNames() {
  DiscText names;
  names.album = {"Songs for Testing", "The Fixtures & Friend"};
  names.tracks[1] = {"Green Bar", "The Fixtures"};
  names.tracks[2] = {"Red Bar", "Guest"};
  return names;
}

// Positions come from the network: only those that name a track of the disc count,
// and none of them may overflow on the way.
TEST(NamesFromAnswerTest, KeepsOnlyPositionsThatAreTracksOfTheDisc) {
  QByteArray tracks;
  for (const char* position : {"2147483647", "-2147483648", "1e300", "1.5", "\"2\"", "0", "99",
                               "1", "98"}) {
    tracks += QByteArray(R"({"title": "at )") + QByteArray(position).replace('"', "") +
              R"(", "position": )" + position + "},";
  }
  tracks.chop(1);
  const QByteArray answer = R"({"releases": [{"media": [{"discs": [{"id": "d"}], "tracks": [)" +
                            tracks + "]}]}]}";
  DiscText expected;
  expected.tracks[2] = {"at 1", ""};
  expected.tracks[99] = {"at 98", ""};
  EXPECT_EQ(NamesFromAnswer(answer, "d", /*firstTrack=*/2), expected);
}

struct LookupCase {
  const char* name;
  std::vector<AnswerServer::Answer> answers;  // in turn; "{elsewhere}" is another server
  bool enabled;
  bool found;         // the names are FoundNames, and kept
  int requests;       // reaching the server
  const char* said;   // on standard error, after "could not be fetched from <service>: "
};

void PrintTo(const LookupCase& row, std::ostream* out) { *out << row.name; }

class NamesLookupTest : public ::testing::TestWithParam<LookupCase> {
 protected:
  FakeDisks disks;
};

// What a request may carry: nothing of the user but the program's name.
void ExpectOnlyPlainHeaders(const QString& request) {
  static const QStringList plain{"Host", "Connection", "Accept-Encoding", "User-Agent", "Accept"};
  for (const QString& line : request.split("\r\n", Qt::SkipEmptyParts).mid(1)) {
    EXPECT_TRUE(plain.contains(line.section(':', 0, 0)) || line == "Accept-Language: *")
        << line.toStdString();
  }
}

TEST_P(NamesLookupTest, AsksOnceInTheBackgroundAndKeepsOnlyWhatItFound) {
  const LookupCase& row = GetParam();
  AnswerServer elsewhere({200, kFound});
  std::vector<AnswerServer::Answer> answers = row.answers;
  for (AnswerServer::Answer& answer : answers) {
    answer.location.replace("{elsewhere}", elsewhere.Address().toEncoded());
  }
  AnswerServer server(answers);
  LookupSettings settings{row.enabled, server.Address(), std::chrono::milliseconds(300)};
  int clients = 0;
  NamesLookup lookup(disks, settings, [&clients](QString& why) {
    ++clients;
    return MakeQtWebClient(why);
  });
  QSignalSpy ended(&lookup, &NamesLookup::LookupEnded);
  std::vector<DiscText> found;
  const auto record = [&found](DiscText names) { found.push_back(std::move(names)); };
  ::testing::internal::CaptureStderr();

  // The window's events go on while the service is asked: this one, queued after the
  // lookup began, runs before the lookup ends.
  lookup.Find(KnownDisc(), record);
  EXPECT_TRUE(found.empty()) << "found within the call";
  bool eventRan = false;
  QTimer::singleShot(0, [&] { eventRan = true; });
  if (row.requests > 0) {
    EXPECT_TRUE(ended.wait(10'000));
    EXPECT_TRUE(eventRan) << "the lookup held the event loop";
  } else {
    QCoreApplication::processEvents();
  }
  lookup.Find(KnownDisc(), record);  // the same disc: never asked again, nor said again
  QCoreApplication::processEvents();
  const std::string said = ::testing::internal::GetCapturedStderr();

  // Nothing of the network is set up unless the service is asked.
  EXPECT_EQ(clients, row.requests > 0 ? 1 : 0);
  EXPECT_EQ(server.requests.size(), row.requests);
  EXPECT_TRUE(elsewhere.requests.isEmpty());
  if (!server.requests.isEmpty()) {
    EXPECT_TRUE(server.requests[0].startsWith(QString("GET /ws/2/discid/%1?").arg(kKnownId)));
    EXPECT_TRUE(server.requests[0].contains("User-Agent: Lyrabox/")) << server.requests[0].toStdString();
  }
  for (const QString& request : server.requests) ExpectOnlyPlainHeaders(request);
  // Found, the second time from the cache.
  EXPECT_EQ(found.size(), row.found ? 2u : 0u);
  for (const DiscText& names : found) EXPECT_EQ(names, FoundNames());
  EXPECT_EQ(ReadCachedNames(disks, kKnownId).has_value(), row.found);
  QString expected = QString("lyrabox: The names of the disc %1 could not be fetched from %2: %3.\n")
                         .arg(kKnownId, server.Address().toString(), row.said);
  if (*row.said == '\0') expected.clear();
  EXPECT_EQ(said, expected.replace("{elsewhere}", elsewhere.Address().toString()).toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, NamesLookupTest,
    ::testing::Values(
        LookupCase{"found", {{200, kFound}}, true, true, 1, ""},
        LookupCase{"unknown", {{404, R"({"error": "Not found"})"}}, true, false, 1,
                   "the service knows no release with this disc"},
        LookupCase{"refused", {{503, "Busy"}}, true, false, 1, "the server answered 503 Answer"},
        LookupCase{"silent", {{200, kFound, /*never=*/true}}, true, false, 1,
                   "no answer within 0.3 s"},
        // A byte every 100 ms: never silent long enough for a transfer timeout.
        LookupCase{"dripping", {{200, kFound, false, {}, /*dripMs=*/100}}, true, false, 1,
                   "no answer within 0.3 s"},
        LookupCase{"garbage", {{200, R"({"releases": [{"title": )"}}, true, false, 1,
                   "its answer names no release with this disc"},
        LookupCase{"moved_within", {{301, {}, false, "/moved"}, {200, kFound}}, true, true, 2, ""},
        LookupCase{"moved_elsewhere", {{302, {}, false, "{elsewhere}/moved"}}, true, false, 1,
                   "it sent the request on to {elsewhere}/moved"},
        LookupCase{"switched_off", {{200, kFound}}, false, false, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A cookie that an answer sets is never sent back: nothing ties one disc's request to
// the next.
TEST(QtWebClientTest, SendsNoCookieBack) {
  AnswerServer server({200, kFound});
  QString why;
  const std::unique_ptr<WebClient> client = MakeQtWebClient(why);
  for (int request = 0; request < 2; ++request) {
    QEventLoop answered;
    client->Get({server.Address(), "Lyrabox/test", "application/json", std::chrono::seconds(10),
                 1 << 20},
                [&answered](const WebAnswer&) { answered.quit(); });
    answered.exec();
  }
  ASSERT_EQ(server.requests.size(), 2);
  ExpectOnlyPlainHeaders(server.requests[1]);
}

// Names found once are kept: the next run finds them without asking, even with the
// lookup off. Names that cannot be kept (the disk is full) still last the run: the disc
// taken out and put back has them again without a second request.
TEST(NamesLookupCacheTest, KeptNamesNeedNoRequestAndUnkeptOnesLastTheRun) {
  AnswerServer server({200, kFound});
  FakeDisks disks;
  ASSERT_TRUE(CacheNames(disks, kKnownId, FoundNames()));
  std::vector<DiscText> found;
  const auto record = [&found](DiscText names) { found.push_back(std::move(names)); };
  NamesLookup off(disks, {false, server.Address(), std::chrono::milliseconds(300)},
                  &MakeQtWebClient);
  off.Find(KnownDisc(), record);
  QCoreApplication::processEvents();
  EXPECT_EQ(found, std::vector{FoundNames()});

  FakeDisks full;
  full.failNextReplaceWith = 61;  // "Disk full"
  NamesLookup lookup(full, {true, server.Address(), std::chrono::seconds(10)}, &MakeQtWebClient);
  QSignalSpy ended(&lookup, &NamesLookup::LookupEnded);
  ::testing::internal::CaptureStderr();
  lookup.Find(KnownDisc(), record);
  ASSERT_TRUE(ended.wait(10'000));
  lookup.Find(KnownDisc(), record);
  QCoreApplication::processEvents();
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("could not be kept"), std::string::npos);
  EXPECT_EQ(found, (std::vector{FoundNames(), FoundNames(), FoundNames()}));
  EXPECT_EQ(server.requests.size(), 1);
}

// The service numbers a medium's tracks from 1; a disc may number its own from another
// track on, and the names land on the disc's own numbers.
TEST(NamesLookupFirstTrackTest, NamesLandOnTheDiscsOwnTrackNumbers) {
  platform::DiscSnapshot disc = KnownDisc();
  disc.firstTrack = 3;
  const std::string id = MusicBrainzDiscId(disc);
  ASSERT_FALSE(id.empty());
  ASSERT_NE(id, kKnownId);
  AnswerServer server({200, QByteArray(kFound).replace(kKnownId, id.c_str())});
  FakeDisks disks;
  NamesLookup lookup(disks, {true, server.Address(), std::chrono::seconds(10)}, &MakeQtWebClient);
  QSignalSpy ended(&lookup, &NamesLookup::LookupEnded);
  std::optional<DiscText> found;
  lookup.Find(disc, [&found](DiscText names) { found = std::move(names); });
  ASSERT_TRUE(ended.wait(10'000));
  DiscText expected = FoundNames();
  expected.tracks = {{3, expected.tracks[1]}, {4, expected.tracks[2]}};
  EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace lyrabox::names
