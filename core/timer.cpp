#include "core/timer.h"

namespace quorlen {

Timer::Timer(EventLoop& loop, int intervalMs, bool enabled) : loop_(loop), intervalMs_(intervalMs) {
  SetEnabled(enabled);
}

Timer::~Timer() { Stop(); }

void Timer::SetInterval(int intervalMs) {
  if (intervalMs == intervalMs_) return;
  intervalMs_ = intervalMs;
  if (running_) {
    Stop();
    Start();
  }
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == running_) return;
  if (enabled) {
    Start();
  } else {
    Stop();
  }
}

void Timer::Start() {
  // A Windows timer with interval 0 never ticks.
  if (intervalMs_ <= 0) return;
  running_ = true;
  id_ = loop_.StartTimer(intervalMs_, [this] {
    if (running_ && onTick) onTick();
  });
}

void Timer::Stop() {
  if (!running_) return;
  running_ = false;
  loop_.StopTimer(id_);
}

}  // namespace quorlen
