#pragma once

#include <functional>

#include "platform/event_loop.h"

namespace quorlen {

// A window timer: an interval in milliseconds and an Enabled switch. Enabling a stopped
// timer schedules its first tick one interval later; enabling a running timer changes
// nothing, so a short time window opened twice is not stretched. A tick handler may
// disable its own timer, which is how the program's one-shot timers work.
class Timer {
 public:
  Timer(EventLoop& loop, int intervalMs, bool enabled = false);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  int Interval() const { return intervalMs_; }
  // Changing the interval of a running timer restarts its count from now.
  void SetInterval(int intervalMs);
  bool Enabled() const { return running_; }
  void SetEnabled(bool enabled);

  std::function<void()> onTick;

 private:
  void Start();
  void Stop();

  EventLoop& loop_;
  int intervalMs_;
  bool running_ = false;
  EventLoop::TimerId id_ = 0;
};

}  // namespace quorlen
