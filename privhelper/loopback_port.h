#pragma once

#include <string>
#include <vector>

namespace quorlen::helper {

// Listening sockets on one TCP port of the loopback addresses 127.0.0.1 and ::1: the
// blocked names point there, and nothing on the network has to reach it.
struct LoopbackListeners {
  std::vector<int> descriptors;  // IPv4 first; ::1 only where the machine has IPv6
  int error = 0;                 // errno of the failed step when there are none
  std::string reason;            // that failure in words
};

// Binds and listens on both addresses. When 127.0.0.1 cannot be had nothing is returned;
// a machine without IPv6 gets the IPv4 socket alone.
LoopbackListeners ListenOnLoopback(int port);

}  // namespace quorlen::helper
