#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace quorlen {

namespace signal_detail {

// What a connection needs of its signal's listeners: to take its own out.
class Listeners {
 public:
  virtual ~Listeners() = default;
  virtual void Remove(std::uint64_t id) = 0;
};

}  // namespace signal_detail

// A listener's hold on a signal: the listener is told until the connection is
// disconnected or destroyed. A view keeps the connections to its models, so a view closed
// before its model is never told again; a model destroyed first leaves the connection
// with nothing to do.
class Connection {
 public:
  Connection() = default;
  Connection(std::weak_ptr<signal_detail::Listeners> listeners, std::uint64_t id)
      : listeners_(std::move(listeners)), id_(id) {}
  Connection(Connection&& other) noexcept
      : listeners_(std::move(other.listeners_)), id_(other.id_) {
    other.listeners_.reset();
  }
  Connection& operator=(Connection&& other) noexcept {
    if (this != &other) {
      Disconnect();
      listeners_ = std::move(other.listeners_);
      id_ = other.id_;
      other.listeners_.reset();
    }
    return *this;
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection() { Disconnect(); }

  void Disconnect() {
    if (auto listeners = listeners_.lock()) listeners->Remove(id_);
    listeners_.reset();
  }

 private:
  std::weak_ptr<signal_detail::Listeners> listeners_;
  std::uint64_t id_ = 0;
};

// A list of listeners told when something changed; views use it to repaint a control. A
// listener may disconnect itself or others while it is told; one connected then is told
// from the next change on. A copy of a control starts with no listeners of its own.
template <typename... Args>
class Signal {
 public:
  using Slot = std::function<void(Args...)>;

  Signal() = default;
  Signal(const Signal&) : Signal() {}
  Signal& operator=(const Signal&) { return *this; }

  [[nodiscard]] Connection Connect(Slot slot) {
    const std::uint64_t id = ++list_->lastId;
    list_->entries.push_back({id, std::make_shared<const Slot>(std::move(slot))});
    return Connection(list_, id);
  }

  void operator()(Args... args) const {
    // Held for the call: a listener may destroy the control that owns this signal.
    std::shared_ptr<List> list = list_;
    ++list->telling;
    const size_t count = list->entries.size();
    for (size_t i = 0; i < count && i < list->entries.size(); ++i) {
      // Held for the call, since the listener may disconnect itself while it runs.
      if (std::shared_ptr<const Slot> slot = list->entries[i].slot) (*slot)(args...);
    }
    if (--list->telling == 0) list->Compact();
  }

 private:
  struct Entry {
    std::uint64_t id;
    std::shared_ptr<const Slot> slot;
  };
  struct List : signal_detail::Listeners {
    std::vector<Entry> entries;
    std::uint64_t lastId = 0;
    int telling = 0;

    void Remove(std::uint64_t id) override {
      for (Entry& entry : entries) {
        if (entry.id == id) entry.slot.reset();
      }
      if (telling == 0) Compact();
    }
    void Compact() {
      std::erase_if(entries, [](const Entry& entry) { return !entry.slot; });
    }
  };

  std::shared_ptr<List> list_ = std::make_shared<List>();
};

}  // namespace quorlen
