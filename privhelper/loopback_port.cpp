#include "privhelper/loopback_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quorlen::helper {

namespace {

constexpr int kBacklog = 64;
constexpr std::string_view kListenState = "0A";

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

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Describe(int port, int error) {
  std::string reason = "port " + std::to_string(port) + " ";
  if (error == EADDRINUSE) {
    std::string holder = PortHolder(port);
    return reason + "is in use by " + (holder.empty() ? "another program" : holder);
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

std::vector<unsigned long> ListeningInodes(std::string_view table, int port) {
  std::vector<unsigned long> inodes;
  std::istringstream lines{std::string(table)};
  std::string line;
  std::getline(lines, line);  // column titles
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout;
    unsigned long inode = 0;
    if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
          timeout >> inode)) {
      continue;
    }
    auto colon = local.rfind(':');
    if (colon == std::string::npos || state != kListenState) continue;
    unsigned long localPort = std::strtoul(local.c_str() + colon + 1, nullptr, 16);
    if (localPort == static_cast<unsigned long>(port) && inode != 0) inodes.push_back(inode);
  }
  return inodes;
}

std::string PortHolder(int port) {
  std::vector<unsigned long> inodes = ListeningInodes(ReadWhole("/proc/net/tcp"), port);
  for (unsigned long inode : ListeningInodes(ReadWhole("/proc/net/tcp6"), port)) {
    inodes.push_back(inode);
  }
  if (inodes.empty()) return {};
  std::error_code error;
  for (const auto& process : std::filesystem::directory_iterator("/proc", error)) {
    const std::string pid = process.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code fdError;
    for (const auto& fd : std::filesystem::directory_iterator(process.path() / "fd", fdError)) {
      std::error_code linkError;
      std::string target = std::filesystem::read_symlink(fd.path(), linkError).string();
      if (linkError || target.rfind("socket:[", 0) != 0) continue;
      unsigned long inode = std::strtoul(target.c_str() + 8, nullptr, 10);
      if (std::find(inodes.begin(), inodes.end(), inode) == inodes.end()) continue;
      std::string name = ReadWhole(process.path() / "comm");
      while (!name.empty() && name.back() == '\n') name.pop_back();
      return (name.empty() ? "process" : name) + " (pid " + pid + ")";
    }
  }
  return {};
}

}  // namespace quorlen::helper
