#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/privileged.h"
#include "platform/sockets.h"

namespace quorlen {

class SocketPoller;

// The web server's sockets, lean: non-blocking sockets in one epoll set, whose descriptor
// a single QSocketNotifier watches on the user-interface thread's event loop. A
// connection costs its few system calls and no toolkit object, and every event still
// arrives on that thread between the program's other events.
//
// The listener takes the loopback addresses only (127.0.0.1 and ::1): the hosts file
// sends the blocked names there, and nothing on the network has to reach it. Where the
// listening sockets come from is a choice of the factory's owner: by default they are
// bound here; a privileged helper can hand over sockets it bound, already listening.
class LoopbackSocketFactory : public SocketFactory {
 public:
  // Listening sockets for `port`, or why there are none.
  using Listeners = PrivilegedOperations::Listeners;
  using OpenListeners = std::function<Listeners(int port)>;

  explicit LoopbackSocketFactory(OpenListeners open = BindLoopback);
  ~LoopbackSocketFactory() override;
  std::unique_ptr<ListenSocket> CreateListener() override;
  std::unique_ptr<ConnectionSocket> CreateConnection() override;

  // Binds and listens on 127.0.0.1 and ::1; a port in use or a missing privilege leaves
  // out the address it concerns, and says why when neither could be had.
  static Listeners BindLoopback(int port);

 private:
  OpenListeners open_;
  std::shared_ptr<SocketPoller> poller_;
};

}  // namespace quorlen
