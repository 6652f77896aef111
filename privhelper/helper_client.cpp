#include "privhelper/helper_client.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "privhelper/descriptor_passing.h"

namespace quorlen::helper {

namespace {

constexpr std::size_t kMaxReplyLine = 4096;

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

}  // namespace

Answer AskHelper(const std::string& socketPath, Verb verb, std::string_view body, int seconds) {
  Answer answer;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.size() >= sizeof address.sun_path) {
    answer.failure = "the helper's socket path is too long";
    return answer;
  }
  std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    answer.failure = std::strerror(errno);
    return answer;
  }
  timeval limit{seconds, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    int error = errno;
    answer.failure =
        "quorlen-helper does not answer on " + socketPath + ": " + std::strerror(error);
    ::close(fd);
    return answer;
  }
  if (!SendAll(fd, EncodeRequest(verb, body))) {
    // The helper may have refused early (an oversized request) and closed: read why.
    answer.failure = std::string("sending the request failed: ") + std::strerror(errno);
  }
  ::shutdown(fd, SHUT_WR);
  Received received = ReceiveLineWithDescriptors(fd, kMaxReplyLine);
  ::close(fd);
  answer.descriptors = std::move(received.descriptors);
  auto reply = received.ok ? ParseReply(received.line) : std::nullopt;
  if (!reply) {
    if (answer.failure.empty()) answer.failure = "quorlen-helper gave no readable reply";
    return answer;
  }
  answer.reached = true;
  answer.failure.clear();
  answer.reply = *reply;
  return answer;
}

}  // namespace quorlen::helper
