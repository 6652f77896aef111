#include "popups/popup_notifier.h"

#include <utility>

namespace quorlen {

PopupNotifier::PopupNotifier(EventLoop& loop, Sound& sound, Timer& clickReset,
                             PopupNoticeControls controls, PopupNoticeHooks hooks)
    : TimerManyPops(loop, kBurstMs),
      loop_(loop),
      sound_(sound),
      clickReset_(clickReset),
      controls_(controls),
      hooks_(std::move(hooks)) {
  TimerManyPops.onTick = [this] { TimerManyPops_Timer(); };
}

std::string PopupNotifier::WithoutScheme(const std::string& url) {
  auto cut = url.find("://");
  return cut == std::string::npos ? url : url.substr(cut + 3);
}

void PopupNotifier::PopupBlocked(const std::string& text) {
  controls_.lbltype.SetCaption("cancelled popup on page ");
  // A blank after every slash lets a long address wrap in the label.
  std::string wrapped;
  wrapped.reserve(text.size() + text.size() / 4);
  for (char c : text) {
    wrapped += c;
    if (c == '/') wrapped += ' ';
  }
  controls_.lblpage.SetCaption(wrapped);
  if (!bManyPopsSeen_) {
    if (TimerManyPops.Enabled()) {
      if (nManyPops_ < INT16_MAX) ++nManyPops_;
    } else {
      TimerManyPops.SetEnabled(true);
      nManyPops_ = 1;
    }
  }
  if (controls_.chkPopSound.Value() != 0) sound_.PlayAsync(controls_.txtPopWav.Text());
  if (hooks_.addBlockedAd) hooks_.addBlockedAd();
}

void PopupNotifier::TimerManyPops_Timer() {
  if (nManyPops_ >= kBurstSize) {
    loop_.DoEvents();
    loop_.DoEvents();
    nManyPops_ = 0;
    bManyPopsSeen_ = true;
    clickReset_.SetInterval(clickReset_.Interval() + kBurstLengthensClicksMs);
  }
  TimerManyPops.SetEnabled(false);
}

void PopupNotifier::NoteBlockedPopupPage(const std::string& url) {
  std::string page = WithoutScheme(url);
  if (hooks_.putRecord) {
    std::string stamp = hooks_.timeStamp ? hooks_.timeStamp() : std::string();
    hooks_.putRecord(stamp + " - Blocked Popup on Page '" + page + "'");
  }
  sLastBlockedPopupPage_ = page;
  controls_.lblLastIEPop.SetCaption("Allow all Popups on page " + page);
  controls_.lblLastIEPop1.SetCaption(
      "The last popup ad was from the page above.  You may allow popups based on a site URL "
      "or site name.");
  controls_.mnuTrayLastIEPop.SetEnabled(true);
  controls_.mnuTrayLastIEPop.SetCaption("Allow All Popups on page '" + page + "'");
}

void PopupNotifier::NoteAllowedPopupPage(const std::string& url) {
  std::string page = WithoutScheme(url);
  controls_.mnuTrayLastIEPop.SetEnabled(true);
  controls_.mnuTrayLastIEPop.SetCaption("Block Popups recently allowed from '" + page + "'");
}

}  // namespace quorlen
