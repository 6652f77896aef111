#include "privhelper/loopback_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorlen::helper {

namespace {

constexpr int kBacklog = 64;

int Listener(int family, const sockaddr* address, socklen_t length, int& error) {
  int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (family == AF_INET6) ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
  if (::bind(fd, address, length) != 0 || ::listen(fd, kBacklog) != 0) {
    error = errno;
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string Describe(int port, int error) {
  std::string reason = "port " + std::to_string(port) + " ";
  // The holder is not looked for: that would need the right to read every process.
  if (error == EADDRINUSE) {
    return reason +
           "is in use by another program (sudo ss -ltnp 'sport = :" + std::to_string(port) +
           "' names it)";
  }
  if (error == EACCES || error == EPERM) return reason + "needs privileges to listen on";
  return reason + "cannot be listened on: " + std::strerror(error);
}

}  // namespace

LoopbackListeners ListenOnLoopback(int port) {
  LoopbackListeners result;
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  v4.sin_port = htons(static_cast<std::uint16_t>(port));
  v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int fd = Listener(AF_INET, reinterpret_cast<sockaddr*>(&v4), sizeof v4, result.error);
  if (fd < 0) {
    result.reason = Describe(port, result.error);
    return result;
  }
  result.descriptors.push_back(fd);

  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  v6.sin6_port = htons(static_cast<std::uint16_t>(port));
  v6.sin6_addr = in6addr_loopback;
  int error = 0;
  fd = Listener(AF_INET6, reinterpret_cast<sockaddr*>(&v6), sizeof v6, error);
  if (fd >= 0) {
    result.descriptors.push_back(fd);
  } else if (error != EAFNOSUPPORT && error != EADDRNOTAVAIL) {
    // ::1 exists and is taken: a browser that tries it first would reach the other server.
    ::close(result.descriptors.front());
    result.descriptors.clear();
    result.error = error;
    result.reason = Describe(port, error) + " (::1)";
  }
  return result;
}

}  // namespace quorlen::helper
