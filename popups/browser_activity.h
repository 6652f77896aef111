#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/timer.h"
#include "platform/event_loop.h"

namespace quorlen {

// What the program knows of browsing across every followed window: the page reached
// last and the one before it, and two short time windows. They outlive the tracker's
// rebuilds; the popup decision and the title watcher read them.
class BrowserActivity {
 public:
  static constexpr int kActiveMs = 4000;
  static constexpr int kClosingMs = 1500;

  explicit BrowserActivity(EventLoop& loop)
      : TimerIEActive(loop, kActiveMs), TimerNoNewWindow(loop, kClosingMs), loop_(loop) {
    TimerIEActive.onTick = [this] { TimerIEActive.SetEnabled(false); };
    TimerNoNewWindow.onTick = [this] { TimerNoNewWindow.SetEnabled(false); };
  }

  const std::string& getCurURL() const { return sCurURL_; }
  void setCurURL(std::string url) { sCurURL_ = std::move(url); }
  const std::string& getLastURL() const { return sLastURL_; }
  void setLastURL(std::string url) { sLastURL_ = std::move(url); }
  // The current page becomes the previous one and `url` the current one.
  void MoveTo(std::string url) {
    sLastURL_ = sCurURL_;
    sCurURL_ = std::move(url);
  }

  // A browser window quit: TimerNoNewWindow runs from the first quit that found it stopped.
  void WindowQuit() {
    if (!TimerNoNewWindow.Enabled()) closingSince_ = loop_.NowMs();
    TimerNoNewWindow.SetEnabled(true);
  }
  // Whether TimerNoNewWindow ran at `ms`. A browser can announce a window well after its page
  // asked for it, and a window asked for before a quit is not one opened while closing.
  bool ClosingAt(std::int64_t ms) const {
    if (!closingSince_ || ms < *closingSince_) return false;
    return TimerNoNewWindow.Enabled() || ms < *closingSince_ + kClosingMs;
  }

  // Runs for 4000 ms after browser activity that found it stopped.
  Timer TimerIEActive;
  // Runs for 1500 ms after a browser window quit: every new window is blocked meanwhile.
  Timer TimerNoNewWindow;

 private:
  std::string sCurURL_;
  std::string sLastURL_;
  EventLoop& loop_;
  std::optional<std::int64_t> closingSince_;
};

}  // namespace quorlen
