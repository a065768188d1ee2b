// SPDX-License-Identifier: GPL-3.0-or-later
// The one request the names lookup makes, behind an interface: the client that makes it
// (Qt Network, and what that loads: TLS, Kerberos, the proxy settings' library) is the
// module lyrabox-names.so (base/module.h), which the player loads with its first
// request, long after the window is shown, so that none of it is on the start's path.
//
// Thread: the user-interface thread only.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>

namespace lyrabox::names {

// What is sent is the address, the User-Agent and Accept headers, and what the HTTP
// library cannot leave out (Host, Connection, Accept-Encoding, and Accept-Language
// as "*", the same for everyone); no cookie. A redirect is followed only within the
// address's own scheme, host and port; to anywhere else it fails the request.
struct WebRequest {
  QUrl address;
  QByteArray userAgent;
  QByteArray accept;  // the Accept header: the kind of answer wanted
  std::chrono::milliseconds deadline{0};  // the whole request is given up after this
  qint64 mostBytes = 0;  // a longer answer is given up
};

struct WebAnswer {
  bool ok = false;  // the request went through with a status that says yes
  int status = 0;   // the HTTP status, 0 without one
  QString error;    // when not ok, what went wrong, in a few words for the user
  QByteArray body;  // when ok
};

class WebClient {
 public:
  // Drops a request still under way: its `done` never runs.
  virtual ~WebClient() = default;
  // GETs the request's address; `done` runs once, from the event loop, with the answer
  // or the failure.
  virtual void Get(const WebRequest& request, std::function<void(WebAnswer)> done) = 0;
};

// Makes the client; null, with `why` saying why, when it cannot.
using WebClientFactory = std::function<std::unique_ptr<WebClient>(QString& why)>;

// The client of Qt Network, made in this program (qt_web_client.cpp).
std::unique_ptr<WebClient> MakeQtWebClient(QString& why);

inline constexpr char kNamesModule[] = "lyrabox-names";
inline constexpr char kMakeWebClientEntry[] = "lyrabox_make_web_client";
// The module's entry: MakeQtWebClient, the client handed over to the caller.
using MakeWebClientEntry = WebClient*(QString& why);

// The same client from the module, which is loaded by the first call.
std::unique_ptr<WebClient> WebClientFromModule(QString& why);

}  // namespace lyrabox::names
