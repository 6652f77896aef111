#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <map>
#include <memory>

#include "platform/event_loop.h"

namespace quorlen {

// The program's event loop on Qt's: QTimer for timers, processEvents for DoEvents.
class QtEventLoop : public EventLoop {
 public:
  QtEventLoop();
  ~QtEventLoop() override;

  std::int64_t NowMs() override { return clock_.elapsed(); }
  LocalTime LocalNow() override;
  TimerId StartTimer(int intervalMs, std::function<void()> tick) override;
  void StopTimer(TimerId id) override;
  void DoEvents() override;
  void Sleep(int ms) override;

 private:
  QElapsedTimer clock_;
  QElapsedTimer pumped_;  // since the last turn DoEvents let run
  QObject context_;
  TimerId nextId_ = 1;
  std::map<TimerId, std::unique_ptr<QTimer>> timers_;
};

}  // namespace quorlen
