// SPDX-License-Identifier: GPL-3.0-or-later
// The client of the names lookup on Qt Network (web_client.h); the module
// lyrabox-names.so is this file and its entry point (names_module.cpp).
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "names/web_client.h"

namespace lyrabox::names {
namespace {

// The reply's property that says why this client gave the request up.
constexpr char kGivenUp[] = "lyrabox-given-up";

void GiveUp(QNetworkReply* reply, const QString& why) {
  if (!reply->isRunning()) return;
  reply->setProperty(kGivenUp, why);
  reply->abort();
}

class QtWebClient final : public WebClient {
 public:
  ~QtWebClient() override {
    // Unheard: the replies go with the manager, which may still tell of their end.
    for (QNetworkReply* reply : network_.findChildren<QNetworkReply*>()) reply->disconnect();
  }

  void Get(const WebRequest& request, std::function<void(WebAnswer)> done) override {
    QNetworkRequest asked(request.address);
    asked.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(request.userAgent));
    asked.setRawHeader("Accept", request.accept);
    // Unless told otherwise, Qt names the user's languages; the service has no use for
    // them, and "*" is the same for everyone.
    asked.setRawHeader("Accept-Language", "*");
    // No cookie is kept or sent, so that nothing ties one request to the next.
    asked.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    asked.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    // A redirect is followed only within the service's own scheme, host and port.
    asked.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::SameOriginRedirectPolicy);
    QNetworkReply* reply = network_.get(asked);

    // Qt's transfer timeout counts only silence, which an answer that drips in a byte
    // at a time never leaves: the whole request has its deadline instead.
    QTimer::singleShot(request.deadline, reply, [reply, deadline = request.deadline] {
      GiveUp(reply, QStringLiteral("no answer within %1 s").arg(deadline.count() / 1000.0));
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, most = request.mostBytes](qint64 received, qint64) {
                       if (received > most) {
                         GiveUp(reply, QStringLiteral("an answer of more than %1 bytes").arg(most));
                       }
                     });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done = std::move(done)] {
      reply->deleteLater();
      WebAnswer answer;
      answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
      answer.ok = reply->error() == QNetworkReply::NoError;
      if (answer.ok) {
        answer.body = reply->readAll();
      } else if (const QString why = reply->property(kGivenUp).toString(); !why.isEmpty()) {
        answer.error = why;
      } else if (reply->error() == QNetworkReply::InsecureRedirectError) {
        answer.error = QStringLiteral("it sent the request on to %1")
                           .arg(reply->header(QNetworkRequest::LocationHeader).toUrl().toDisplayString());
      } else if (answer.status >= 400) {
        answer.error = QStringLiteral("the server answered %1 %2")
                           .arg(answer.status)
                           .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
      } else {
        answer.error = reply->errorString();
      }
      done(std::move(answer));
    });
  }

 private:
  QNetworkAccessManager network_;
};

}  // namespace

std::unique_ptr<WebClient> MakeQtWebClient(QString&) { return std::make_unique<QtWebClient>(); }

}  // namespace lyrabox::names
