#pragma once

#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

#include "platform/privileged.h"
#include "platform/sockets.h"

namespace quorlen {

// The program's sockets on Qt's TCP classes, on the user-interface thread. A listener
// hands each new connection a request number; connection sockets take it from the
// shared pending list, and what no socket took is dropped after the announcement.
// Port 80 comes as listening sockets on the loopback addresses from the privileged
// operations, when given; any other port is listened on at `listenAddress` (tests pass
// the loopback address so that nothing of theirs is reachable from outside).
class QtSocketFactory : public SocketFactory {
 public:
  explicit QtSocketFactory(QHostAddress listenAddress = QHostAddress(QHostAddress::Any),
                           PrivilegedOperations* privileged = nullptr);
  ~QtSocketFactory() override;
  std::unique_ptr<ListenSocket> CreateListener() override;
  std::unique_ptr<ConnectionSocket> CreateConnection() override;

  struct Pending {
    QHash<std::int32_t, QPointer<QTcpSocket>> sockets;
    std::int32_t next = 1;
  };

 private:
  QHostAddress listenAddress_;
  PrivilegedOperations* privileged_;
  std::shared_ptr<Pending> pending_;
};

}  // namespace quorlen
