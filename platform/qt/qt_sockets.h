#pragma once

#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

#include "platform/sockets.h"

namespace quorlen {

// The program's sockets on Qt's TCP classes, on the user-interface thread. A listener
// hands each new connection a request number; connection sockets take it from the
// shared pending list, and what no socket took is dropped after the announcement.
// Listeners take every local address, as the program's web server must; tests pass the
// loopback address so that nothing of theirs is reachable from outside.
class QtSocketFactory : public SocketFactory {
 public:
  explicit QtSocketFactory(QHostAddress listenAddress = QHostAddress(QHostAddress::Any));
  ~QtSocketFactory() override;
  std::unique_ptr<ListenSocket> CreateListener() override;
  std::unique_ptr<ConnectionSocket> CreateConnection() override;

  struct Pending {
    QHash<std::int32_t, QPointer<QTcpSocket>> sockets;
    std::int32_t next = 1;
  };

 private:
  QHostAddress listenAddress_;
  std::shared_ptr<Pending> pending_;
};

}  // namespace quorlen
