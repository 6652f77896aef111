#include "platform/qt/loopback_sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "platform/qt/socket_poller.h"

namespace quorlen {

namespace {

constexpr int kBacklog = 128;

int ListeningSocket(int family, const sockaddr* address, socklen_t length) {
  int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (family == AF_INET6) ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
  if (::bind(fd, address, length) != 0 || ::listen(fd, kBacklog) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

class LoopbackListener : public ListenSocket, SocketPoller::Watcher {
 public:
  LoopbackListener(std::shared_ptr<SocketPoller> poller, LoopbackSocketFactory::OpenListeners open)
      : poller_(std::move(poller)), open_(std::move(open)) {}
  ~LoopbackListener() override { Close(); }

  void Close() override {
    for (int fd : fds_) {
      poller_->Forget(fd, true);
      ::close(fd);
    }
    fds_.clear();
  }
  void SetLocalPort(int port) override { port_ = port; }
  bool Listen() override {
    Close();
    LoopbackSocketFactory::Listeners opened = open_(port_);
    fds_ = std::move(opened.descriptors);
    for (int fd : fds_) {
      // Handed-over sockets may come blocking; the accept loop must never wait.
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
      poller_->Watch(fd, EPOLLIN, this);
    }
    failure_.clear();
    if (fds_.empty()) {
      failure_ = opened.error.empty() ? "port " + std::to_string(port_) + " could not be opened"
                                      : opened.error;
    }
    return !fds_.empty();
  }
  std::string FailureReason() const override { return failure_; }
  int State() const override {
    return fds_.empty() ? socket_state::kClosed : socket_state::kListening;
  }

  void OnEvents(int fd, std::uint32_t) override {
    for (;;) {
      int connection = ::accept4(fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (connection < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        return;  // nothing more waits, or no descriptor is left: the next event retries
      }
      const std::int32_t id = poller_->Park(connection);
      if (onConnectionRequest) onConnectionRequest(id);
      poller_->Drop(id);
      if (std::find(fds_.begin(), fds_.end(), fd) == fds_.end()) return;  // closed meanwhile
    }
  }

 private:
  std::shared_ptr<SocketPoller> poller_;
  LoopbackSocketFactory::OpenListeners open_;
  std::vector<int> fds_;
  std::string failure_;
  int port_ = 0;
};

class LoopbackConnection : public ConnectionSocket, SocketPoller::Watcher {
 public:
  explicit LoopbackConnection(std::shared_ptr<SocketPoller> poller) : poller_(std::move(poller)) {}
  ~LoopbackConnection() override { Close(); }

  int State() const override { return state_; }

  void Close() override {
    if (fd_ >= 0) {
      poller_->Forget(fd_, true);
      ::close(fd_);
      fd_ = -1;
    }
    state_ = socket_state::kClosed;
    received_.clear();
    unsent_.clear();
  }

  bool Accept(std::int32_t requestId) override {
    int fd = poller_->Take(requestId);
    if (fd < 0) return false;
    Close();
    fd_ = fd;
    state_ = socket_state::kConnected;
    generation_ = poller_->Watch(fd_, EPOLLIN, this, false);
    poller_->QueueFirstRead(fd_, generation_);
    return true;
  }

  std::string GetData() override { return std::exchange(received_, {}); }

  void SendData(const std::string& bytes) override {
    if (fd_ < 0 || state_ == socket_state::kError) return;
    unsent_ += bytes;
    Flush();
  }

  void OnEvents(int, std::uint32_t events) override {
    if (events & EPOLLOUT) Flush();
    if (fd_ >= 0 && (events & (EPOLLIN | EPOLLHUP | EPOLLERR))) Receive();
  }

  void OnSendComplete() override {
    if (onSendComplete) onSendComplete();
  }

 private:
  // Reads what has arrived and tells it in one event, as the program reads once per
  // arrival. The peer's end of the stream leaves the socket busy until the program closes it.
  void Receive() {
    bool ended = false;
    char buffer[16384];
    for (;;) {
      ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n > 0) {
        received_.append(buffer, static_cast<size_t>(n));
        if (static_cast<size_t>(n) < sizeof buffer) break;
        continue;
      }
      if (n == 0 || errno == ECONNRESET) {
        ended = true;
      } else if (errno == EINTR) {
        continue;
      } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
        Failed();
        return;
      }
      break;
    }
    const int fd = fd_;
    if (!received_.empty() && onDataArrival)
      onDataArrival(static_cast<std::int32_t>(received_.size()));
    if (ended && fd_ == fd && state_ == socket_state::kConnected) {
      state_ = socket_state::kClosing;
      if (unsent_.empty()) poller_->Forget(fd_);
    }
  }

  void Flush() {
    while (!unsent_.empty()) {
      ssize_t n = ::send(fd_, unsent_.data(), unsent_.size(), MSG_NOSIGNAL);
      if (n > 0) {
        unsent_.erase(0, static_cast<size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        poller_->Change(fd_, EPOLLIN | EPOLLOUT);
        waitingToWrite_ = true;
        return;
      }
      Failed();
      return;
    }
    if (waitingToWrite_) {
      waitingToWrite_ = false;
      if (state_ == socket_state::kClosing) {
        poller_->Forget(fd_);
      } else {
        poller_->Change(fd_, EPOLLIN);
      }
    }
    // Nothing to send completes as well, so the slot is closed and freed.
    poller_->QueueSendComplete(fd_, generation_);
  }

  void Failed() {
    state_ = socket_state::kError;
    unsent_.clear();
    poller_->Forget(fd_);
  }

  std::shared_ptr<SocketPoller> poller_;
  int fd_ = -1;
  std::uint32_t generation_ = 0;
  int state_ = socket_state::kClosed;
  std::string received_;
  std::string unsent_;
  bool waitingToWrite_ = false;
};

}  // namespace

LoopbackSocketFactory::LoopbackSocketFactory(OpenListeners open)
    : open_(std::move(open)), poller_(std::make_shared<SocketPoller>()) {}
LoopbackSocketFactory::~LoopbackSocketFactory() = default;

std::unique_ptr<ListenSocket> LoopbackSocketFactory::CreateListener() {
  return std::make_unique<LoopbackListener>(poller_, open_);
}

std::unique_ptr<ConnectionSocket> LoopbackSocketFactory::CreateConnection() {
  return std::make_unique<LoopbackConnection>(poller_);
}

LoopbackSocketFactory::Listeners LoopbackSocketFactory::BindLoopback(int port) {
  Listeners listeners;
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  v4.sin_port = htons(static_cast<std::uint16_t>(port));
  v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int failure = 0;
  if (int fd = ListeningSocket(AF_INET, reinterpret_cast<sockaddr*>(&v4), sizeof v4); fd >= 0) {
    listeners.descriptors.push_back(fd);
    // Port 0 picks a free port: both addresses take the same one.
    socklen_t length = sizeof v4;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&v4), &length);
  } else {
    failure = errno;
  }
  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  v6.sin6_port = v4.sin_port;
  v6.sin6_addr = in6addr_loopback;
  if (int fd = ListeningSocket(AF_INET6, reinterpret_cast<sockaddr*>(&v6), sizeof v6); fd >= 0)
    listeners.descriptors.push_back(fd);
  if (listeners.descriptors.empty()) {
    listeners.error = "port " + std::to_string(port) + ": " + std::strerror(failure);
  }
  return listeners;
}

}  // namespace quorlen
