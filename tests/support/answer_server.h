// SPDX-License-Identifier: GPL-3.0-or-later
// A small HTTP server on the loopback address for the tests of the names lookup: it
// answers requests in turn from the answers it is given, and keeps what it was asked.
// Runs on the test's event loop.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <map>
#include <span>
#include <vector>

namespace lyrabox::testing {

class AnswerServer {
 public:
  struct Answer {
    int status = 200;
    QByteArray body;
    bool never = false;     // the connection stays open and silent
    QByteArray location{};  // a Location header (a redirect) when not empty
    int dripMs = 0;         // the body goes one byte at a time, this far apart
  };

  // The first request gets the first answer, and so on; the last answer is repeated.
  // Every answer sets a cookie, which a client should never send back.
  explicit AnswerServer(std::span<const Answer> answers) : answers_(answers.begin(), answers.end()) {
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Read(socket); });
      }
    });
  }
  explicit AnswerServer(const Answer& answer) : AnswerServer(std::span(&answer, 1)) {}

  QUrl Address() const {
    return QUrl(QString("http://127.0.0.1:%1").arg(server_.serverPort()));
  }
  QStringList requests;  // each request's line and headers

  // While held, connections wait unaccepted, so that a test can look at what is shown
  // before the answer, however long it takes to look.
  void Hold() { server_.pauseAccepting(); }
  void Release() { server_.resumeAccepting(); }

 private:
  void Read(QTcpSocket* socket) {
    QByteArray& seen = pending_[socket];
    seen += socket->readAll();
    if (!seen.contains("\r\n\r\n")) return;
    requests.append(QString::fromLatin1(seen));
    const Answer& answer = answers_[std::min<std::size_t>(requests.size(), answers_.size()) - 1];
    if (answer.never) return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) +
                      " Answer\r\nContent-Type: application/json\r\nSet-Cookie: visitor=1\r\n"
                      "Content-Length: " + QByteArray::number(answer.body.size()) +
                      "\r\nConnection: close\r\n";
    if (!answer.location.isEmpty()) head += "Location: " + answer.location + "\r\n";
    socket->write(head + "\r\n");
    if (answer.dripMs == 0) {
      socket->write(answer.body);
      socket->disconnectFromHost();
      return;
    }
    auto* drip = new QTimer(socket);
    QObject::connect(drip, &QTimer::timeout, socket, [socket, drip, rest = answer.body]() mutable {
      if (rest.isEmpty() || socket->state() != QAbstractSocket::ConnectedState) {
        drip->stop();
        socket->disconnectFromHost();
        return;
      }
      socket->write(rest.left(1));
      rest.remove(0, 1);
    });
    drip->start(answer.dripMs);
  }

  std::vector<Answer> answers_;
  QTcpServer server_;
  std::map<QTcpSocket*, QByteArray> pending_;
};

}  // namespace lyrabox::testing
