#pragma once

#include <cstdint>
#include <functional>

namespace quorlen {

// Local wall-clock time of day, as the program shows it in time stamps and the debug log.
struct LocalTime {
  int year = 2001;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The one event loop of the program's user-interface thread. Everything runs in its
// handlers; long loops call DoEvents() so that pending timers, clicks and socket events
// run in between, exactly as the program's message pump does.
class EventLoop {
 public:
  using TimerId = std::uint64_t;

  virtual ~EventLoop() = default;

  // Milliseconds of a monotonic clock.
  virtual std::int64_t NowMs() = 0;
  // The local date and time of day.
  virtual LocalTime LocalNow() = 0;

  // Calls `tick` every `intervalMs` until StopTimer; the first call comes one interval
  // after the start.
  virtual TimerId StartTimer(int intervalMs, std::function<void()> tick) = 0;
  virtual void StopTimer(TimerId id) = 0;

  // Lets every pending event run, then returns.
  virtual void DoEvents() = 0;

  // Blocks the thread for `ms` milliseconds; no event runs meanwhile.
  virtual void Sleep(int ms) = 0;
};

}  // namespace quorlen
