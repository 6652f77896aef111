#include "privhelper/descriptor_passing.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorlen::helper {

namespace {

constexpr std::size_t kMaxDescriptors = 8;

bool SendAll(int socket, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

}  // namespace

bool WaitUntilReady(int socket, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd waiting{socket, events, 0};
    int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

bool SendWithDescriptors(int socket, std::string_view bytes, const std::vector<int>& descriptors) {
  if (bytes.empty() || descriptors.size() > kMaxDescriptors) return false;
  if (descriptors.empty()) return SendAll(socket, bytes.data(), bytes.size());

  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxDescriptors)] = {};
  iovec first{const_cast<char*>(bytes.data()), 1};
  msghdr message{};
  message.msg_iov = &first;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = CMSG_SPACE(sizeof(int) * descriptors.size());
  cmsghdr* header = CMSG_FIRSTHDR(&message);
  header->cmsg_level = SOL_SOCKET;
  header->cmsg_type = SCM_RIGHTS;
  header->cmsg_len = CMSG_LEN(sizeof(int) * descriptors.size());
  std::memcpy(CMSG_DATA(header), descriptors.data(), sizeof(int) * descriptors.size());
  ssize_t sent;
  do {
    sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent != 1) return false;
  return SendAll(socket, bytes.data() + 1, bytes.size() - 1);
}

Received ReceiveLineWithDescriptors(int socket, std::size_t limit,
                                    std::chrono::steady_clock::time_point deadline) {
  Received received;
  while (received.line.size() < limit) {
    char byte;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxDescriptors)] = {};
    iovec one{&byte, 1};
    msghdr message{};
    message.msg_iov = &one;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (WaitUntilReady(socket, POLLIN, deadline)) continue;
      received.timedOut = true;
      return received;
    }
    for (cmsghdr* header = got > 0 ? CMSG_FIRSTHDR(&message) : nullptr; header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
      if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
      std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
      for (std::size_t i = 0; i < count; ++i) {
        int descriptor;
        std::memcpy(&descriptor, CMSG_DATA(header) + i * sizeof(int), sizeof(int));
        received.descriptors.push_back(descriptor);
      }
    }
    if (got <= 0) return received;
    if (byte == '\n') {
      received.ok = true;
      return received;
    }
    received.line += byte;
  }
  return received;
}

}  // namespace quorlen::helper
