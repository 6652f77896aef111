#include "platform/qt/qt_event_loop.h"

#include <QCoreApplication>
#include <QDateTime>
#include <chrono>
#include <thread>

namespace quorlen {

QtEventLoop::QtEventLoop() { clock_.start(); }

QtEventLoop::~QtEventLoop() = default;

LocalTime QtEventLoop::LocalNow() {
  QDateTime now = QDateTime::currentDateTime();
  QDate date = now.date();
  QTime time = now.time();
  return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

EventLoop::TimerId QtEventLoop::StartTimer(int intervalMs, std::function<void()> tick) {
  TimerId id = nextId_++;
  auto timer = std::make_unique<QTimer>();
  timer->setInterval(intervalMs);
  timer->setTimerType(Qt::PreciseTimer);
  QObject::connect(timer.get(), &QTimer::timeout, &context_, std::move(tick));
  timer->start();
  timers_[id] = std::move(timer);
  return id;
}

void QtEventLoop::StopTimer(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->stop();
  // The timer may be stopping itself from inside its own tick: delete it later.
  it->second.release()->deleteLater();
  timers_.erase(it);
}

void QtEventLoop::DoEvents() {
  // A long loop pumps after every entry, tens of thousands of times a second, and each
  // turn of the toolkit's loop costs microseconds even when nothing waits. Pumps within a
  // millisecond of the last turn are skipped: what waits runs at most a millisecond later,
  // which nobody sees, and the loop itself runs at full speed.
  if (pumped_.isValid() && pumped_.nsecsElapsed() < 1000000) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  pumped_.start();
}

void QtEventLoop::Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace quorlen
