#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace quorlen {

// A list of listeners told when something changed; views use it to repaint a control.
template <typename... Args>
class Signal {
 public:
  using Slot = std::function<void(Args...)>;

  void Connect(Slot slot) { slots_.push_back(std::move(slot)); }

  void operator()(Args... args) const {
    for (const auto& slot : slots_) slot(args...);
  }

 private:
  std::vector<Slot> slots_;
};

}  // namespace quorlen
