// SPDX-License-Identifier: GPL-3.0-or-later
// The names of a disc without text of its own, as the player's controller asks for them
// (engine/names_source.h): what MusicBrainz knows of its table of contents.
//
// The lookup keeps to good manners: at most one request per disc and run (and none for
// a disc whose names are kept from an earlier run, see names_cache.h), made in the
// background once the window's event that noticed the disc has ended, given up after
// a deadline. A failure, an unknown disc or no network cost one line on standard
// error, once per disc, saying why, and nothing else: the disc then has no names, as
// without a lookup.
//
// Thread: the user-interface thread only.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "base/disc_text.h"
#include "engine/names_source.h"
#include "names/web_client.h"
#include "platform/platform.h"

namespace lyrabox::names {

// Turns the lookup off when set to "off" (any letter case).
inline constexpr const char* kLookupVariable = "LYRABOX_LOOKUP";
// The base address of the MusicBrainz web service.
inline constexpr const char* kServiceVariable = "LYRABOX_LOOKUP_SERVICE";
inline constexpr const char* kDefaultService = "https://musicbrainz.org";

struct LookupSettings {
  bool enabled = true;  // off, only the names kept from earlier runs are found
  QUrl service{QString::fromLatin1(kDefaultService)};
  std::chrono::milliseconds deadline{10'000};  // for the whole request

  // kLookupVariable and kServiceVariable; the defaults for what they leave unset.
  static LookupSettings FromEnvironment();
};

class NamesLookup final : public QObject, public NamesSource {
  Q_OBJECT

 public:
  // `disks` keeps the names found, and must outlive this object. `web` makes the client
  // of the service, at the first request (the player's comes from a module,
  // WebClientFromModule).
  NamesLookup(platform::Disks& disks, LookupSettings settings, WebClientFactory web,
              QObject* parent = nullptr);
  ~NamesLookup() override;

  // The names kept for the disc, or found for it earlier in this run; else, unless the
  // lookup is off or the disc was asked about already in this run, what the service
  // answers. The track positions of the answer are the disc's own track numbers from
  // its first on.
  void Find(const platform::DiscSnapshot& disc, std::function<void(DiscText)> found) override;

 signals:
  // A request to the service has ended, with names or without (for tests).
  void LookupEnded();

 private:
  using Found = std::function<void(DiscText)>;
  void Look(const platform::DiscSnapshot& disc, const Found& found);
  void Ask(const std::string& discId, int firstTrack, Found found);
  void Answered(const WebAnswer& answer, const std::string& discId, int firstTrack,
                const Found& found);

  platform::Disks& disks_;
  const LookupSettings settings_;
  WebClientFactory makeWeb_;
  std::unique_ptr<WebClient> web_;  // made for the first request
  std::set<std::string> asked_;     // disc ids asked this run
  // Names found this run that could not be kept in the cache, by disc id.
  std::map<std::string, DiscText> unkept_;
};

}  // namespace lyrabox::names
