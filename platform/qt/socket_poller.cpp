#include "platform/qt/socket_poller.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <limits>

namespace quorlen {

SocketPoller::SocketPoller()
    : epoll_(::epoll_create1(EPOLL_CLOEXEC)), notifier_(epoll_, QSocketNotifier::Read) {
  QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] { Dispatch(); });
}

SocketPoller::~SocketPoller() {
  for (auto& [id, fd] : parked_) ::close(fd);
  ::close(epoll_);
}

std::uint32_t SocketPoller::Watch(int fd, std::uint32_t events, Watcher* watcher, bool armed) {
  const std::uint32_t generation = ++generations_;
  registered_[fd] = {watcher, generation, events, false};
  if (armed) Arm(registered_[fd], fd);
  return generation;
}

void SocketPoller::Change(int fd, std::uint32_t events) {
  auto it = registered_.find(fd);
  if (it == registered_.end()) return;
  it->second.events = events;
  Arm(it->second, fd);
}

void SocketPoller::Forget(int fd, bool closing) {
  auto it = registered_.find(fd);
  if (it == registered_.end()) return;
  if (it->second.armed && !closing) ::epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
  registered_.erase(it);
}

std::int32_t SocketPoller::Park(int fd) {
  const std::int32_t id = next_;
  next_ = id == std::numeric_limits<std::int32_t>::max() ? 1 : id + 1;
  parked_.emplace(id, fd);
  return id;
}

int SocketPoller::Take(std::int32_t id) {
  auto it = parked_.find(id);
  if (it == parked_.end()) return -1;
  int fd = it->second;
  parked_.erase(it);
  return fd;
}

void SocketPoller::Drop(std::int32_t id) {
  int fd = Take(id);
  if (fd >= 0) ::close(fd);
}

void SocketPoller::QueueFirstRead(int fd, std::uint32_t generation) {
  deferred_.push_back({fd, generation, Step::kFirstRead});
  PostDrain();
}

void SocketPoller::QueueSendComplete(int fd, std::uint32_t generation) {
  completions_.push_back({fd, generation, Step::kSendComplete});
  PostDrain();
}

void SocketPoller::PostDrain() {
  if (dispatching_ || drainPosted_) return;
  drainPosted_ = true;
  QMetaObject::invokeMethod(
      &notifier_,
      [this] {
        drainPosted_ = false;
        DrainDeferred();
      },
      Qt::QueuedConnection);
}

void SocketPoller::Arm(Registration& registration, int fd) {
  epoll_event event{};
  event.events = registration.events;
  event.data.u64 = (std::uint64_t{registration.generation} << 32) | static_cast<std::uint32_t>(fd);
  ::epoll_ctl(epoll_, registration.armed ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &event);
  registration.armed = true;
}

SocketPoller::Registration* SocketPoller::Current(int fd, std::uint32_t generation) {
  auto it = registered_.find(fd);
  return it != registered_.end() && it->second.generation == generation ? &it->second : nullptr;
}

void SocketPoller::Dispatch() {
  epoll_event events[64];
  const int n = ::epoll_wait(epoll_, events, 64, 0);
  dispatching_ = true;
  for (int i = 0; i < n; ++i) {
    const int fd = static_cast<int>(events[i].data.u64 & 0xffffffffu);
    const auto generation = static_cast<std::uint32_t>(events[i].data.u64 >> 32);
    if (Registration* current = Current(fd, generation)) {
      current->watcher->OnEvents(fd, events[i].events);
    }
    DrainDeferred();
  }
  dispatching_ = false;
}

void SocketPoller::DrainDeferred() {
  while (!completions_.empty() || !deferred_.empty()) {
    auto& queue = completions_.empty() ? deferred_ : completions_;
    const Deferred next = queue.front();
    queue.pop_front();
    Registration* current = Current(next.fd, next.generation);
    if (!current) continue;
    switch (next.step) {
      case Step::kFirstRead:
        current->watcher->OnEvents(next.fd, EPOLLIN);
        // Behind whatever the read queued: a connection answered and closed by then
        // never joins the epoll set.
        deferred_.push_back({next.fd, next.generation, Step::kArm});
        break;
      case Step::kSendComplete:
        current->watcher->OnSendComplete();
        break;
      case Step::kArm:
        if (!current->armed) Arm(*current, next.fd);
        break;
    }
  }
}

}  // namespace quorlen
