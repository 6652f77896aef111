#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/controls.h"
#include "core/private_profile.h"
#include "core/timer.h"
#include "platform/browser.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/input.h"
#include "platform/sound.h"
#include "popups/browser_activity.h"
#include "popups/browser_window_tracker.h"
#include "popups/frm_ie_white_list.h"
#include "popups/ie_white_list.h"
#include "popups/input_monitor.h"
#include "popups/popup_decision.h"
#include "popups/popup_notifier.h"

namespace quorlen {

// Added to the status when popup blocking is switched on and no browser window is
// followed a moment later.
inline constexpr std::string_view kNoBrowserFollowed =
    "No browser that Quorlen can follow is open yet. Quorlen stops popups in Chromium and "
    "Firefox started with quorlen-browser (or with remote debugging on): start one of them "
    "to browse with popup blocking.";

// The platform services popup blocking runs on.
struct PopupServices {
  EventLoop& loop;
  InputState& input;
  BrowserShell& browsers;
  Sound& sound;
  Dialogs& dialogs;
  ProfileStore& profiles;
};

// The controls of the settings window and the tray menu that popup blocking touches.
struct PopupControls {
  CheckBox& chkIEPops;
  CheckBox& chkPopSound;
  TextBox& txtPopWav;
  Label& lblStatus;
  Label& lbltype;
  Label& lblpage;
  Label& lblLastIEPop;
  Label& lblLastIEPop1;
  Label& LblKeyName;
  Label& LblVKeycode;
  TabStrip& A;
  MenuItem& mnuTrayLastIEPop;
};

// What popup blocking needs of the rest of the program.
struct PopupHooks {
  std::function<void(const std::string&)> debugLog;
  std::function<std::string()> timeStamp;
  std::function<void(const std::string&)> putRecord;  // into the recent-popups buffer
  std::function<void()> addBlockedAd;
  std::function<bool()> popsTempAllowed;  // the tray's "allow popups for now"
  std::function<bool()> loading;          // the main window is still loading
  std::function<std::string()> whiteListFile;
};

// Popup blocking as a whole: the input monitor, the browser tracker (present only while
// blocking is on), the decision, the white list with its editor, and the notices of
// blocked popups that the title watcher shares.
class PopupBlocker {
 public:
  PopupBlocker(PopupServices services, PopupControls controls, PopupHooks hooks,
               bool& bBlockIEPopups);
  ~PopupBlocker();

  void LoadIEWhiteList();
  // Drops any tracker and starts a new one that follows every browser window.
  void StartBrowserTracker();
  void DropBrowserTracker();
  void StopKeyboardMonitor() { input_.StopKeyboardMonitor(); }
  void chkIEPops_Click();
  // The notice after a blocked popup, also used by the title watcher.
  void PopupBlocked(const std::string& text) { notifier_.PopupBlocked(text); }
  void ShowWhiteListEditor() { editor_.Show(); }
  // How long after popup blocking is switched on the status tells that no browser is
  // followed, when none has been joined by then.
  static constexpr int kNoBrowserNoticeMs = 2500;

  InputMonitor& Input() { return input_; }
  BrowserActivity& Activity() { return activity_; }
  PopupNotifier& Notifier() { return notifier_; }
  PopupDecision& Decision() { return decision_; }
  IEWhiteList& WhiteList() { return whiteList_; }
  frmIEWhiteList& Editor() { return editor_; }
  // The browser tracker; null while popup blocking is off.
  cIEWindows* oIEWindows() { return tracker_.get(); }

 private:
  void Log(const std::string& message) {
    if (hooks_.debugLog) hooks_.debugLog(message);
  }
  void TellWhenNoBrowserIsFollowed();

  PopupServices services_;
  PopupControls controls_;
  PopupHooks hooks_;
  bool& bBlockIEPopups_;
  InputMonitor input_;
  BrowserActivity activity_;
  PopupNotifier notifier_;
  IEWhiteList whiteList_;
  PopupDecision decision_;
  BrowserTracking tracking_;
  frmIEWhiteList editor_;
  std::unique_ptr<cIEWindows> tracker_;
  Timer noBrowserNotice_;
};

}  // namespace quorlen
