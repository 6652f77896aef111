#pragma once

#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/loopback_port.h"

namespace quorlen::testing_support {

// A server program on loopback, its chatter kept out of the test's output.
class ServerProcess : public Child {
 public:
  ServerProcess(std::vector<std::string> argv, int port)
      : Child(std::move(argv), "/dev/null"), port_(port) {
    WaitFor([&] { return Pid() <= 0 || Connectable(port_); }, 5000);
  }
  // Asked to end, so that a proxy ends its workers too.
  ~ServerProcess() {
    if (Pid() <= 0) return;
    Kill(SIGTERM);
    ExitCode(5000);
  }
  bool Running() const { return Pid() > 0 && Connectable(port_); }
  int Port() const { return port_; }

 private:
  int port_;
};

inline std::unique_ptr<ServerProcess> StaticWebServer(const std::string& folder) {
  const int port = FreeLoopbackPort();
  return std::make_unique<ServerProcess>(
      std::vector<std::string>{"python3", "-m", "http.server", std::to_string(port), "--bind",
                               "127.0.0.1", "--directory", folder},
      port);
}

// A listener that takes connections into its backlog and never answers them.
class SilentServer {
 public:
  SilentServer() {
    sockaddr_in address = Loopback();
    socklen_t size = sizeof address;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size);
    ::listen(fd_, 16);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() { ::close(fd_); }
  int Port() const { return port_; }
  // How many connections arrived so far (each taken and closed).
  int TakeConnections() {
    int count = 0;
    for (int client; (client = ::accept(fd_, nullptr, nullptr)) >= 0; ++count) ::close(client);
    return count;
  }

 private:
  int fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  int port_ = 0;
};

}  // namespace quorlen::testing_support
