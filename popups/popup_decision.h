#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "popups/browser_activity.h"
#include "popups/ie_white_list.h"
#include "popups/input_monitor.h"
#include "popups/popup_notifier.h"

namespace quorlen {

// What the decision reads of the window whose page asks for a new window.
struct OpenerWindow {
  std::string url;  // empty when it could not be read
  bool bNavJava = false;
  bool bDownloading = false;
  int msSinceAsked = 0;  // how long before the decision the page asked for the window
};

// Decides, from flags the program already holds, whether a window a page asks for opens:
// it does when the user evidently asked for it or the page is white-listed; otherwise it
// is an unsolicited popup and is cancelled. It never sees the new window's own address.
class PopupDecision {
 public:
  struct Parts {
    InputMonitor& input;
    IEWhiteList& whiteList;
    BrowserActivity& activity;
    PopupNotifier& notifier;
  };

  PopupDecision(Parts parts, std::function<bool()> popsTempAllowed,
                std::function<void(const std::string&)> debugLog);

  // The answer to the browser: true cancels the new window. Every path answers. The input
  // flags are read as they stood when the page asked.
  bool IE_NewWindow2(const OpenerWindow& opener);

  std::int16_t nPopUPCount() const { return nPopUPCount_; }

 private:
  void PopupAllowed(const OpenerWindow& opener, std::int64_t askedAt);
  void Blocked(const std::string& url, const std::string& logLine);
  void Log(const std::string& message) {
    if (debugLog_) debugLog_(message);
  }

  Parts parts_;
  std::function<bool()> popsTempAllowed_;
  std::function<void(const std::string&)> debugLog_;
  std::int16_t nPopUPCount_ = 0;
};

}  // namespace quorlen
