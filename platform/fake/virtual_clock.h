#pragma once

#include <cstdint>
#include <functional>
#include <map>

#include "platform/event_loop.h"

namespace quorlen {

// An event loop on virtual time for tests: nothing happens until the test advances the
// clock, and then every due tick runs in time order, so timing rules are checked exactly
// and instantly.
class VirtualClock : public EventLoop {
 public:
  explicit VirtualClock(LocalTime start = {2026, 12, 6, 9, 5, 7});

  std::int64_t NowMs() override { return nowMs_; }
  LocalTime LocalNow() override;
  TimerId StartTimer(int intervalMs, std::function<void()> tick) override;
  void StopTimer(TimerId id) override;
  void DoEvents() override;
  // Moves virtual time on without running anything, as a blocked thread would.
  void Sleep(int ms) override;

  // Runs every timer tick due within the next `ms` milliseconds.
  void Advance(std::int64_t ms);
  int RunningTimers() const { return static_cast<int>(timers_.size()); }
  std::int64_t TotalSleptMs() const { return sleptMs_; }
  int DoEventsCalls() const { return doEventsCalls_; }

 private:
  struct Entry {
    int intervalMs;
    std::int64_t due;
    std::function<void()> tick;
  };

  LocalTime start_;
  std::int64_t nowMs_ = 0;
  std::int64_t sleptMs_ = 0;
  int doEventsCalls_ = 0;
  TimerId nextId_ = 1;
  std::map<TimerId, Entry> timers_;
};

}  // namespace quorlen
