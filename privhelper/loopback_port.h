#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorlen::helper {

// Listening sockets on one TCP port of the loopback addresses 127.0.0.1 and ::1: the
// blocked names point there, and nothing on the network has to reach it.
struct LoopbackListeners {
  std::vector<int> descriptors;  // IPv4 first; ::1 only where the machine has IPv6
  int error = 0;                 // errno of the failed step when there are none
  std::string reason;            // that failure in words, with the port's holder if known
};

// Binds and listens on both addresses. When 127.0.0.1 cannot be had nothing is returned;
// a machine without IPv6 gets the IPv4 socket alone.
LoopbackListeners ListenOnLoopback(int port);

// The program that listens on the TCP port, as "name (pid N)", from the kernel's socket
// tables and the processes' descriptors; empty when the system does not tell (another
// user's process seen without privileges).
std::string PortHolder(int port);

// The socket inodes listening on `port` in a /proc/net/tcp or tcp6 table.
std::vector<unsigned long> ListeningInodes(std::string_view table, int port);

}  // namespace quorlen::helper
