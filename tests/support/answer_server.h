// A small HTTP server on the loopback address for the tests of the names lookup: it
// answers every request with the one answer it is given, or holds it unanswered, and
// keeps what it was asked. Runs on the test's event loop.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <map>

namespace lyrabox::testing {

// Answers every request with one answer, or holds it unanswered; keeps what it was asked.
class AnswerServer {
 public:
  struct Answer {
    int status = 200;
    QByteArray body;
    bool never = false;  // the connection stays open and silent
  };

  explicit AnswerServer(Answer answer) : answer_(std::move(answer)) {
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
      }
    });
  }
  QUrl Address() const {
    return QUrl(QString("http://127.0.0.1:%1").arg(server_.serverPort()));
  }
  QStringList requests;  // each request's line and headers

 private:
  void Read(QTcpSocket* socket) {
    QByteArray& seen = pending_[socket];
    seen += socket->readAll();
    if (!seen.contains("\r\n\r\n")) return;
    requests.append(QString::fromLatin1(seen));
    if (answer_.never) return;
    socket->write("HTTP/1.1 " + QByteArray::number(answer_.status) +
                  " Answer\r\nContent-Type: application/json\r\nContent-Length: " +
                  QByteArray::number(answer_.body.size()) + "\r\nConnection: close\r\n\r\n" +
                  answer_.body);
    socket->disconnectFromHost();
  }

  Answer answer_;
  QTcpServer server_;
  std::map<QTcpSocket*, QByteArray> pending_;
};

}  // namespace lyrabox::testing
