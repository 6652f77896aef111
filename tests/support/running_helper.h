#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "tests/support/temp_folder.h"

namespace quorlen::testing_support {

// A TCP port of 127.0.0.1 that nothing listens on right now.
inline int FreeLoopbackPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// The helper program, standalone on a socket in the test's folder, for the hosts file
// "hosts" there and two free ports standing for 80 and 443; its log goes to "helper.log".
// Ended with the test.
class RunningHelper {
 public:
  explicit RunningHelper(const TempFolder& folder)
      : socket_(folder.File("helper.sock")), port_(FreeLoopbackPort()) {
    do httpsPort_ = FreeLoopbackPort();
    while (httpsPort_ == port_);
    pid_ = ::fork();
    if (pid_ == 0) {
      if (std::freopen(folder.File("helper.log").c_str(), "w", stderr) == nullptr) ::_exit(126);
      const std::string port = std::to_string(port_);
      const std::string httpsPort = std::to_string(httpsPort_);
      ::execl(QUORLEN_HELPER_PROGRAM, "quorlen-helper", "--socket", socket_.c_str(), "--hosts",
              folder.File("hosts").c_str(), "--port", port.c_str(), "--https-port",
              httpsPort.c_str(), nullptr);
      ::_exit(127);
    }
    // The socket file appears when the helper binds it, a moment before it listens.
    for (int i = 0; i < 500 && !Answers(socket_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~RunningHelper() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  RunningHelper(const RunningHelper&) = delete;
  RunningHelper& operator=(const RunningHelper&) = delete;

  int Port() const { return port_; }
  int HttpsPort() const { return httpsPort_; }
  const std::string& Socket() const { return socket_; }

 private:
  static bool Answers(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool answers = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
  }

  std::string socket_;
  int port_;
  int httpsPort_ = 0;
  pid_t pid_ = -1;
};

}  // namespace quorlen::testing_support
