#pragma once

#include <QSocketNotifier>
#include <cstdint>
#include <deque>
#include <unordered_map>

namespace quorlen {

// One epoll set for every socket of a factory, watched by one QSocketNotifier. Events are
// told to the socket registered for the descriptor; a registration carries a generation,
// so an event of a closed socket never reaches the one that reuses its descriptor. Send
// completions wait in a queue until the handler that sent has returned.
class SocketPoller {
 public:
  class Watcher {
   public:
    virtual ~Watcher() = default;
    virtual void OnEvents(int fd, std::uint32_t events) = 0;
    virtual void OnSendComplete() {}
  };

  SocketPoller();
  ~SocketPoller();
  SocketPoller(const SocketPoller&) = delete;
  SocketPoller& operator=(const SocketPoller&) = delete;

  // Tells `watcher` the events of `fd`. A descriptor watched unarmed joins the epoll set
  // only once it has to wait for something: most connections are answered and closed at
  // their first read, and each one kept out saves a call to the system and the set's
  // bookkeeping at its close.
  std::uint32_t Watch(int fd, std::uint32_t events, Watcher* watcher, bool armed = true);
  void Change(int fd, std::uint32_t events);
  // Stops telling events of `fd`; `closing` when the descriptor is closed right after,
  // which takes it out of the epoll set by itself.
  void Forget(int fd, bool closing = false);

  // A new connection waits under a request number until a socket takes it.
  std::int32_t Park(int fd);
  int Take(std::int32_t id);
  // Refuses a connection that no socket took.
  void Drop(std::int32_t id);

  // A connection just accepted often has its request waiting already: it is read once
  // the handler that accepted it has returned, without another turn of the event loop.
  void QueueFirstRead(int fd, std::uint32_t generation);
  // Told before the connections still waiting for their first read: the handler usually
  // closes the connection then, and the browser gets the reply's end with its bytes.
  void QueueSendComplete(int fd, std::uint32_t generation);

 private:
  struct Registration {
    Watcher* watcher;
    std::uint32_t generation;
    std::uint32_t events;
    bool armed;  // in the epoll set
  };
  enum class Step { kFirstRead, kSendComplete, kArm };
  struct Deferred {
    int fd;
    std::uint32_t generation;
    Step step;
  };

  void PostDrain();
  void Arm(Registration& registration, int fd);
  // The registration of `fd` while it is the one that generation names.
  Registration* Current(int fd, std::uint32_t generation);
  void Dispatch();
  void DrainDeferred();

  int epoll_;
  QSocketNotifier notifier_;
  std::unordered_map<int, Registration> registered_;
  std::uint32_t generations_ = 0;
  std::unordered_map<std::int32_t, int> parked_;
  std::int32_t next_ = 1;
  std::deque<Deferred> deferred_;
  std::deque<Deferred> completions_;
  bool dispatching_ = false;
  bool drainPosted_ = false;
};

}  // namespace quorlen
