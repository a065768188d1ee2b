// The names of the disc in the drive, for the desktop's media controls and the
// window's tooltip: the disc's own text when it has some (CD-Text, the demo disc's
// titles), else the names MusicBrainz knows for its table of contents.
//
// The lookup keeps to good manners: at most one request per disc and run (and none for
// a disc whose names are kept from an earlier run, see names_cache.h), made in the
// background once the window's event that noticed the disc has ended, given up after
// a deadline. A failure, an unknown disc or no network cost one line on standard
// error, once per disc, saying why, and nothing else: the names then stay empty, as
// without a lookup.
//
// Thread: the user-interface thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>
#include <chrono>
#include <optional>
#include <string>

#include "cdaudio/cdaudio.h"
#include "platform/platform.h"
#include "ui/names/web_client.h"

namespace lyrabox::names {

// Turns the lookup off when set to "off" (any letter case).
inline constexpr const char* kLookupVariable = "LYRABOX_LOOKUP";
// The base address of the MusicBrainz web service.
inline constexpr const char* kServiceVariable = "LYRABOX_LOOKUP_SERVICE";
inline constexpr const char* kDefaultService = "https://musicbrainz.org";

struct LookupSettings {
  bool enabled = true;
  QUrl service{QString::fromLatin1(kDefaultService)};
  std::chrono::milliseconds deadline{10'000};  // for the whole request

  // kLookupVariable and kServiceVariable; the defaults for what they leave unset.
  static LookupSettings FromEnvironment();
};

class NamesLookup final : public QObject {
  Q_OBJECT

 public:
  // `device` tells the disc and its own text, `disks` keeps the names found; both
  // must outlive this object. `web` makes the client of the service, at the first
  // request (the player's comes from a module, WebClientFromModule).
  NamesLookup(cdaudio::Device& device, platform::Disks& disks, LookupSettings settings,
              WebClientFactory web, QObject* parent = nullptr);
  ~NamesLookup() override;

  // Looks whether the disc in the drive has changed since the last call; when it has,
  // its names are worked out from the event loop (never within this call). Called
  // after each event of the window.
  void Follow();

  // The names of the disc in the drive; empty while none are known.
  const cdaudio::DiscText& Names() const { return names_; }

 signals:
  // Names() is different from before.
  void NamesChanged();
  // A request to the service has ended, with names or without (for tests).
  void LookupEnded();

 private:
  void Look();
  void Ask(const std::string& discId);
  void Answered(const WebAnswer& answer, const std::string& discId);
  void Show(cdaudio::DiscText names);

  cdaudio::Device& device_;
  platform::Disks& disks_;
  const LookupSettings settings_;
  WebClientFactory makeWeb_;
  std::unique_ptr<WebClient> web_;  // made for the first request
  std::optional<cdaudio::TableOfContents> followed_;  // the disc seen by Follow
  bool lookPending_ = false;
  std::string discId_;  // the MusicBrainz id of the disc whose names are wanted
  QSet<QString> asked_;  // disc ids asked this run
  cdaudio::DiscText names_;
};

}  // namespace lyrabox::names
