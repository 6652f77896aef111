#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quorlen::testing_support {

// A loopback port that was free a moment ago.
inline int FreePort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(fd);
  return ntohs(address.sin_port);
}

inline bool Connectable(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

// A server program on loopback, ended when the object goes.
class ServerProcess {
 public:
  ServerProcess(std::vector<std::string> argv, int port) : port_(port) {
    std::vector<char*> args;
    for (auto& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    // The server's own chatter stays out of the test's output.
    posix_spawn_file_actions_t quiet;
    ::posix_spawn_file_actions_init(&quiet);
    ::posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    if (::posix_spawnp(&pid_, args[0], &quiet, nullptr, args.data(), environ) != 0) pid_ = -1;
    ::posix_spawn_file_actions_destroy(&quiet);
    for (int i = 0; pid_ > 0 && i < 200 && !Connectable(port_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
  }
  ~ServerProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;
  bool Running() const { return pid_ > 0 && Connectable(port_); }
  int Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_;
};

// Python's static web server over a folder.
inline std::unique_ptr<ServerProcess> StaticWebServer(const std::string& folder) {
  int port = FreePort();
  return std::make_unique<ServerProcess>(
      std::vector<std::string>{"python3", "-m", "http.server", std::to_string(port), "--bind",
                               "127.0.0.1", "--directory", folder},
      port);
}

// A listener that takes connections into its backlog and never answers them.
class SilentServer {
 public:
  SilentServer() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(fd_, 16);
    socklen_t size = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() { ::close(fd_); }
  int Port() const { return port_; }
  // How many connections arrived so far (each taken and closed).
  int TakeConnections() {
    int count = 0;
    for (;;) {
      fd_set ready;
      FD_ZERO(&ready);
      FD_SET(fd_, &ready);
      timeval none{};
      if (::select(fd_ + 1, &ready, nullptr, nullptr, &none) <= 0) break;
      int client = ::accept(fd_, nullptr, nullptr);
      if (client < 0) break;
      ::close(client);
      ++count;
    }
    return count;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace quorlen::testing_support
