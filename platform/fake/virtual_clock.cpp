#include "platform/fake/virtual_clock.h"

#include <chrono>
#include <utility>

namespace quorlen {

VirtualClock::VirtualClock(LocalTime start) : start_(start) {}

LocalTime VirtualClock::LocalNow() {
  using namespace std::chrono;
  auto day = sys_days{year{start_.year} / month{static_cast<unsigned>(start_.month)} /
                      std::chrono::day{static_cast<unsigned>(start_.day)}};
  auto at = day + hours{start_.hour} + minutes{start_.minute} + seconds{start_.second} +
            milliseconds{nowMs_};
  auto date = year_month_day{floor<days>(at)};
  hh_mm_ss clock{floor<seconds>(at - floor<days>(at))};
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(clock.hours().count()),
          static_cast<int>(clock.minutes().count()),
          static_cast<int>(clock.seconds().count())};
}

EventLoop::TimerId VirtualClock::StartTimer(int intervalMs, std::function<void()> tick) {
  TimerId id = nextId_++;
  timers_[id] = Entry{intervalMs, nowMs_ + intervalMs, std::move(tick)};
  return id;
}

void VirtualClock::StopTimer(TimerId id) { timers_.erase(id); }

void VirtualClock::DoEvents() { ++doEventsCalls_; }

void VirtualClock::Sleep(int ms) {
  nowMs_ += ms;
  sleptMs_ += ms;
}

void VirtualClock::Advance(std::int64_t ms) {
  const std::int64_t end = nowMs_ + ms;
  for (;;) {
    // The earliest due timer; ties go to the one started first, as ids grow.
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
      if (next == timers_.end() || it->second.due < next->second.due) next = it;
    }
    if (next == timers_.end() || next->second.due > end) break;
    nowMs_ = std::max(nowMs_, next->second.due);
    next->second.due += next->second.intervalMs;
    auto tick = next->second.tick;  // the handler may stop or restart its own timer
    tick();
  }
  nowMs_ = std::max(nowMs_, end);
}

}  // namespace quorlen
