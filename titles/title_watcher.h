#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/controls.h"
#include "core/timer.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/window_system.h"
#include "titles/popup_titles.h"

namespace quorlen {

// The settings window's and tray menu's controls the watcher reads and writes.
struct TitleWatcherControls {
  CheckBox& chkIEPops;
  MenuItem& mnuTrayLastPop;
  Label& lblLastTitle;
  Label& lblLastTitle1;
};

// The popup-blocking state that makes the watcher stand still or answer error boxes.
struct PopupStateReader {
  std::function<bool()> bPopsTempAllowed;  // popups allowed for now from the tray
  std::function<bool()> bHotKeyDown;       // Shift, Ctrl or Alt pressed recently
  std::function<bool()> browserActive;     // TimerIEActive runs
};

// What the watcher tells the rest of the program.
struct TitleWatcherHooks {
  std::function<void(const std::string&)> debugLog;
  std::function<std::string()> timeStamp;
  std::function<void(const std::string&)> putRecord;     // into the recent-titles buffer
  std::function<void(const std::string&)> popupBlocked;  // labels, sound and the count
  std::function<void()> showSettings;
};

// The third blocking mechanism: twice a second the window the user works in, and its
// first child, are closed when their title holds a listed fragment. While the browser is
// active the same tick answers its script-error boxes with "No".
class TitleWatcher {
 public:
  static constexpr size_t kTitleChars = 199;  // a 200-character title buffer
  static constexpr size_t kClassChars = 24;   // a 25-character class-name buffer
  static constexpr const char* kAdviceTitle = "Helpful Advice to reduce the error messages.";
  // Told where the desktop shows the program no windows, instead of promising closes.
  static constexpr const char* kWindowsNotSeen =
      "This desktop does not let Quorlen see or close the windows of other programs (GNOME on "
      "Wayland does not), so no window is closed by its title. Popups are still blocked in "
      "the browsers Quorlen follows.";
  static constexpr const char* kWindowsNotSeenLabel =
      "This desktop does not let Quorlen see other programs' windows: no window is closed by "
      "its title.";

  TitleWatcher(EventLoop& loop, WindowSystem& windows, Dialogs& dialogs, const PopupTitles& titles,
               TitleWatcherControls controls, PopupStateReader popups, TitleWatcherHooks hooks);

  void Timer4_Timer();
  // Finds the top-level window titled `windowTitle` and presses its button `caption`.
  void mySimulateButtonClick(const std::string& windowTitle, const std::string& caption);
  static std::string AdviceText();

  Timer& Timer4() { return timer4_; }
  Timer& TimerPopupTitleClosed() { return timerClosed_; }
  const std::string& sLastTitleFragment() const { return sLastTitleFragment_; }
  std::int32_t lErrorBoxCount() const { return lErrorBoxCount_; }

 private:
  // Closes the window when its title matches, unless that fragment closed one a moment ago.
  void CheckWindow(WindowId window, const char* label);
  void CloseWindow(WindowId window, const std::string& text, const std::string& className,
                   const std::string& fragment, const char* label);

  WindowSystem& windows_;
  Dialogs& dialogs_;
  const PopupTitles& titles_;
  TitleWatcherControls controls_;
  PopupStateReader popups_;
  TitleWatcherHooks hooks_;
  Timer timer4_;
  Timer timerClosed_;
  std::string sLastTitleFragment_;
  std::int32_t lErrorBoxCount_ = 0;
};

}  // namespace quorlen
