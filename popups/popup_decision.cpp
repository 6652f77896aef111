#include "popups/popup_decision.h"

#include <algorithm>
#include <utility>

namespace quorlen {

namespace {
const char* TrueFalse(bool value) { return value ? "True" : "False"; }
}  // namespace

PopupDecision::PopupDecision(Parts parts, std::function<bool()> popsTempAllowed,
                             std::function<void(const std::string&)> debugLog)
    : parts_(parts), popsTempAllowed_(std::move(popsTempAllowed)), debugLog_(std::move(debugLog)) {}

bool PopupDecision::IE_NewWindow2(const OpenerWindow& opener) {
  auto& input = parts_.input;
  auto& activity = parts_.activity;
  Log("new window: getLastURL=" + activity.getLastURL() + " getCurURL=" + activity.getCurURL());
  bool cancel = false;
  const std::int64_t askedAt = input.NowMs() - std::max(opener.msSinceAsked, 0);
  const InputFlags flags = input.FlagsAt(askedAt);
  if (popsTempAllowed_ && popsTempAllowed_()) {
    Log("*** ALLOWED: Pops Temp allowed ");
    PopupAllowed(opener, askedAt);
  } else if (flags.hotKeyDown) {
    Log("*** ALLOWED: Allow Hot Key Down ");
    PopupAllowed(opener, askedAt);
  } else if (auto match = parts_.whiteList.MatchIEWhiteList(opener.url); match.matched) {
    Log("*** ALLOWED: InWhiteLIst: found " + match.entry);
    PopupAllowed(opener, askedAt);
    input.ResetClicksAt(askedAt, "reset: In White List: '" + match.entry + "'");
    parts_.notifier.NoteAllowedPopupPage(opener.url);
  } else if (activity.ClosingAt(askedAt)) {
    cancel = true;
    Blocked(opener.url, "**** BLOCKED Window Closing PopUP cnt=" + std::to_string(nPopUPCount_) +
                            " '" + opener.url + "'");
  } else if (flags.doubleClickOK) {
    Log("*** ALLOWED: User Double Clicked");
    PopupAllowed(opener, askedAt);
    input.ResetClicksAt(askedAt, "reset: Double Click");
  } else if (opener.bNavJava) {
    Log("*** ALLOWED: Java Open");
    PopupAllowed(opener, askedAt);
    input.ResetClicksAt(askedAt, "reset: allowed Java popup");
  } else if (flags.mouseClicked) {
    Log("*** ALLOWED: MouseClicked once");
    PopupAllowed(opener, askedAt);
    input.ResetClicksAt(askedAt, "reset: User Clicked once before timer popped");
  } else {
    cancel = true;
    Blocked(opener.url, "**** BLOCKED '" + opener.url + "'");
  }
  activity.MoveTo(opener.url);
  return cancel;
}

void PopupDecision::Blocked(const std::string& url, const std::string& logLine) {
  parts_.notifier.NoteBlockedPopupPage(url);
  parts_.notifier.PopupBlocked(url);
  Log(logLine);
}

void PopupDecision::PopupAllowed(const OpenerWindow& opener, std::int64_t askedAt) {
  auto& activity = parts_.activity;
  activity.TimerIEActive.SetEnabled(true);
  parts_.input.StopDoubleClickOK(askedAt);
  Log(std::string("bNavJava ") + TrueFalse(opener.bNavJava) + " Same url? " +
      TrueFalse(activity.getLastURL() == activity.getCurURL()) +
      " bDownloading False?=" + TrueFalse(opener.bDownloading) + " nPopUPCount=");
  // The count is a 16-bit number: at its top the addition fails and the count stays.
  if (nPopUPCount_ < INT16_MAX) ++nPopUPCount_;
}

}  // namespace quorlen
