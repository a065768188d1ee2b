// The client of the names lookup on Qt Network (web_client.h); the module
// lyrabox-names.so is this file and its entry point (names_module.cpp).
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "ui/names/web_client.h"

namespace lyrabox::names {
namespace {

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
    asked.setTransferTimeout(static_cast<int>(request.timeout.count()));
    QNetworkReply* reply = network_.get(asked);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, most = request.mostBytes](qint64 received, qint64) {
                       if (received > most) reply->abort();
                     });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done = std::move(done)] {
      reply->deleteLater();
      WebAnswer answer;
      answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
      answer.ok = reply->error() == QNetworkReply::NoError;
      if (answer.ok) {
        answer.body = reply->readAll();
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
