#include "privhelper/helper_client.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "privhelper/descriptor_passing.h"

namespace quorlen::helper {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxReplyLine = 4096;

std::string Shown(std::chrono::milliseconds time) {
  return time.count() % 1000 == 0 ? std::to_string(time.count() / 1000) + " s"
                                  : std::to_string(time.count()) + " ms";
}

// Sends everything before the deadline; false with errno set (ETIMEDOUT when it passed).
bool SendAll(int fd, std::string_view bytes, Clock::time_point deadline) {
  while (!bytes.empty()) {
    ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (WaitUntilReady(fd, POLLOUT, deadline)) continue;
      errno = ETIMEDOUT;
      return false;
    }
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

}  // namespace

Answer AskHelper(const std::string& socketPath, Verb verb, std::string_view body,
                 std::chrono::milliseconds deadline) {
  const Clock::time_point end = Clock::now() + deadline;
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
  // A connection waits in the socket's backlog while the helper is busy; no longer than
  // the deadline.
  timeval limit{static_cast<time_t>(deadline.count() / 1000),
                static_cast<suseconds_t>(deadline.count() % 1000 * 1000)};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    int error = errno;
    answer.listening = error == EAGAIN || error == EINPROGRESS;
    answer.failure =
        answer.listening
            ? "quorlen-helper took no connection within " + Shown(deadline)
            : "quorlen-helper does not answer on " + socketPath + ": " + std::strerror(error);
    ::close(fd);
    return answer;
  }
  answer.listening = true;
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  // A send cut short by the helper's close is no failure yet: a helper that refuses early
  // (a request it does not take) closes after its reply, which tells why.
  if (!SendAll(fd, EncodeRequest(verb, body), end) && errno == ETIMEDOUT) {
    answer.failure = "quorlen-helper did not take the request within " + Shown(deadline);
  }
  ::shutdown(fd, SHUT_WR);
  Received received = ReceiveLineWithDescriptors(fd, kMaxReplyLine, end);
  ::close(fd);
  answer.descriptors = std::move(received.descriptors);
  auto reply = received.ok ? ParseReply(received.line) : std::nullopt;
  if (!reply) {
    if (!answer.failure.empty()) return answer;
    if (received.timedOut) {
      answer.failure = "quorlen-helper did not answer within " + Shown(deadline);
    } else if (received.ok || !received.line.empty()) {
      answer.failure = "quorlen-helper gave an answer this program does not understand";
    } else {
      answer.failure =
          "quorlen-helper ended the connection without an answer (its log tells why: "
          "journalctl -u quorlen-helper)";
    }
    return answer;
  }
  answer.reached = true;
  answer.failure.clear();
  answer.reply = *reply;
  return answer;
}

}  // namespace quorlen::helper
