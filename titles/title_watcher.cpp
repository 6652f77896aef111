#include "titles/title_watcher.h"

#include <limits>

#include "core/text.h"

namespace quorlen {

namespace {

constexpr const char* kWindowLabel = "User Defined Popup Blocked '";
constexpr const char* kSubWindowLabel = "User Defined Popup Blocked (sub window) '";

std::string Cut(std::string text, size_t chars) {
  if (text.size() > chars) text.resize(chars);
  return text;
}

}  // namespace

TitleWatcher::TitleWatcher(EventLoop& loop, WindowSystem& windows, Dialogs& dialogs,
                           const PopupTitles& titles, TitleWatcherControls controls,
                           PopupStateReader popups, TitleWatcherHooks hooks)
    : windows_(windows),
      dialogs_(dialogs),
      titles_(titles),
      controls_(controls),
      popups_(std::move(popups)),
      hooks_(std::move(hooks)),
      timer4_(loop, 500),
      timerClosed_(loop, 3000) {
  timer4_.onTick = [this] { Timer4_Timer(); };
  timerClosed_.onTick = [this] { timerClosed_.SetEnabled(false); };
}

void TitleWatcher::Timer4_Timer() {
  if (controls_.chkIEPops.Value() == 0 || popups_.bPopsTempAllowed() || popups_.bHotKeyDown()) {
    return;
  }
  WindowId foreground = windows_.ActiveWindow();
  if (windows_.IsVisible(foreground)) {
    // The child is looked at whether it is shown or not.
    if (WindowId child = windows_.TopDialog(foreground)) CheckWindow(child, kSubWindowLabel);
    CheckWindow(foreground, kWindowLabel);
  }
  if (popups_.browserActive()) mySimulateButtonClick("Error", "&No");
}

void TitleWatcher::CheckWindow(WindowId window, const char* label) {
  std::string className = Cut(windows_.AppId(window), kClassChars);
  std::string text = Cut(windows_.WindowTitle(window), kTitleChars);
  PopupTitles::Match match = titles_.MatchPopupTitle(text);
  if (!match.matched) return;
  if (match.fragment != sLastTitleFragment_ || !timerClosed_.Enabled()) {
    CloseWindow(window, text, className, match.fragment, label);
  }
}

void TitleWatcher::CloseWindow(WindowId window, const std::string& text,
                               const std::string& className, const std::string& fragment,
                               const char* label) {
  hooks_.putRecord(hooks_.timeStamp() + " found '" + fragment + "' within Window Title '" + text +
                   "'");
  const std::string message = label + text + "' '" + className + "'";
  hooks_.popupBlocked(message);
  timerClosed_.SetEnabled(true);
  hooks_.debugLog(message);
  const std::string allow = "Allow Popup '" + fragment + "' from now on...";
  controls_.mnuTrayLastPop.SetCaption(allow);
  controls_.mnuTrayLastPop.SetEnabled(true);
  controls_.lblLastTitle.SetCaption(allow);
  controls_.lblLastTitle1.SetCaption("A Popup Window was closed that contained '" + fragment +
                                     "' in the Window Title.");
  sLastTitleFragment_ = fragment;
  // Asked, not forced: the application may still ask the user to save work.
  windows_.RequestClose(window);
}

void TitleWatcher::mySimulateButtonClick(const std::string& windowTitle,
                                         const std::string& caption) {
  WindowId box = windows_.FindByTitle(windowTitle);
  if (box == 0) return;
  ButtonId button = windows_.FindButton(box, caption);
  if (button == 0) {
    hooks_.debugLog("No '" + caption + "' found on '" + windowTitle + "' window.");
    return;
  }
  windows_.Activate(box);
  windows_.PressButton(button);
  if (lErrorBoxCount_ == std::numeric_limits<std::int32_t>::max()) return;
  ++lErrorBoxCount_;
  if (lErrorBoxCount_ == 5 || lErrorBoxCount_ % 20 == 0) {
    hooks_.showSettings();
    dialogs_.MsgBox(AdviceText(), msgbox::kCritical, kAdviceTitle);
  }
}

std::string TitleWatcher::AdviceText() {
  const std::string line(kCrLf);
  return "You are seeing a lot of error boxes.  If you would like to avoid seeing "
         "these error messages in the future, do this: " +
         line + line +
         "1) Open the \"Tools - Internet Options\" menu on your "
         "Microsoft Internet Explorer Browers. " +
         line + "2) Click the \"Advanced\" tab (far right tab)." + line +
         "3) Scroll Down to the \"Browsing\" section (almost near the top)." + line +
         "4) Find the \"Disable Script Debugging\" checkbox and select it (check it)." + line +
         "5) Click the \"OK\" button. " + line + "6) Close, then restart your IE browser.  " +
         line + line +
         "This will stop prompting you every time a page encounters "
         "Javascript or other script errors.  Those warnings were meant primariy for "
         "Software Developers that needed to debug thier new web pages.";
}

}  // namespace quorlen
