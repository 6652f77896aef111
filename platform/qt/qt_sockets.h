#pragma once

#include <QHash>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

#include "platform/sockets.h"

namespace quorlen {

// The program's sockets on Qt's TCP classes, on the user-interface thread. A listener
// hands each new connection a request number; connection sockets take it from the
// shared pending list, and what no socket took is dropped after the announcement.
class QtSocketFactory : public SocketFactory {
 public:
  QtSocketFactory();
  ~QtSocketFactory() override;
  std::unique_ptr<ListenSocket> CreateListener() override;
  std::unique_ptr<ConnectionSocket> CreateConnection() override;

  struct Pending {
    QHash<std::int32_t, QPointer<QTcpSocket>> sockets;
    std::int32_t next = 1;
  };

 private:
  std::shared_ptr<Pending> pending_;
};

}  // namespace quorlen
