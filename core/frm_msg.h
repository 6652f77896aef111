#pragma once

#include <functional>
#include <string>
#include <utility>

#include "core/controls.h"
#include "core/timer.h"

namespace quorlen {

// A message window that closes itself 15 seconds after it opens, counting down, so that
// a notice at start-up never waits for the user.
class frmMSG {
 public:
  static constexpr int kLifetimeSeconds = 15;

  // `screenSize` gives the screen's width and height in pixels, for centring.
  frmMSG(EventLoop& loop, std::function<std::pair<int, int>()> screenSize);

  // Shows sMsgText under the title sMsgTitle without waiting.
  void Show(const std::string& sMsgTitle, const std::string& sMsgText);
  void cmdOK_Click();
  int nSeconds() const { return nSeconds_; }

  Window window;
  Label lblMSG;
  Label lblStatus;
  Button cmdOK;
  Timer Timer1;

 private:
  void Timer1_Timer();

  std::function<std::pair<int, int>()> screenSize_;
  int nSeconds_ = 0;
};

}  // namespace quorlen
