#include "popups/popup_blocker.h"

#include <string_view>
#include <utility>

namespace quorlen {

namespace {

constexpr const char* kTwoLines = "\r\n\r\n";
constexpr std::string_view kNowPrevents = "Quorlen will now prevent popup ads from opening.  ";

}  // namespace

PopupBlocker::PopupBlocker(PopupServices services, PopupControls controls, PopupHooks hooks,
                           bool& bBlockIEPopups)
    : services_(services),
      controls_(controls),
      hooks_(std::move(hooks)),
      bBlockIEPopups_(bBlockIEPopups),
      input_(services.loop, services.input,
             {controls.LblKeyName, controls.LblVKeycode, controls.A}),
      activity_(services.loop),
      notifier_(services.loop, services.sound, input_.timerClickReset,
                {controls.lbltype, controls.lblpage, controls.lblLastIEPop, controls.lblLastIEPop1,
                 controls.mnuTrayLastIEPop, controls.chkPopSound, controls.txtPopWav},
                {hooks_.timeStamp, hooks_.putRecord, hooks_.addBlockedAd}),
      whiteList_(services.profiles, services.dialogs, hooks_.debugLog),
      decision_({input_, whiteList_, activity_, notifier_}, hooks_.popsTempAllowed,
                hooks_.debugLog),
      tracking_{activity_, input_, decision_, hooks_.debugLog},
      editor_(services.profiles, services.dialogs,
              {hooks_.whiteListFile, [this] { return notifier_.getLastBlockedPopupPage(); },
               [this] { LoadIEWhiteList(); }}),
      noBrowserNotice_(services.loop, kNoBrowserNoticeMs) {
  noBrowserNotice_.onTick = [this] { TellWhenNoBrowserIsFollowed(); };
}

PopupBlocker::~PopupBlocker() = default;

void PopupBlocker::LoadIEWhiteList() {
  whiteList_.LoadIEWhiteList(hooks_.whiteListFile ? hooks_.whiteListFile() : std::string());
}

void PopupBlocker::StartBrowserTracker() {
  tracker_.reset();
  tracker_ = std::make_unique<cIEWindows>(services_.browsers, services_.loop, tracking_);
}

void PopupBlocker::DropBrowserTracker() { tracker_.reset(); }

void PopupBlocker::chkIEPops_Click() {
  if (hooks_.loading && hooks_.loading()) return;
  bBlockIEPopups_ = controls_.chkIEPops.Value() != 0;
  if (controls_.chkIEPops.Value() == 1) {
    StartBrowserTracker();
    controls_.lblStatus.SetCaption(
        std::string(kNowPrevents) +
        "It also stops the popup ads that outside advertising programs such as the AdPopper "
        "toolbar open in your browser." +
        kTwoLines +
        "Remember, you can hold down the CTRL (control) key to temporarily bypass this popup " +
        "blocking capability or double click on a link that's getting stopped by Quorlen. " +
        "This might happen if something you click gets redirected to a different server.");
    noBrowserNotice_.SetEnabled(false);
    noBrowserNotice_.SetEnabled(true);
  } else {
    noBrowserNotice_.SetEnabled(false);
    DropBrowserTracker();
    controls_.lblStatus.SetCaption(
        std::string("Quorlen will no longer use special processing to block ") +
        "unsolicited popup window ads from loading in Internet Explorer. " + kTwoLines +
        "Make sure you have the 'Block Banner Ads...' " +
        "so Quorlen will block x10 popup and banner ads from " +
        "the other known (and active) ad servers. If you have " +
        "both checkboxes unchecked, Quorlen is doing nothing.");
  }
}

// Popups are stopped only in browsers the program follows. Said on Linux, where a
// browser must be started to be followed: the promise above would otherwise stand alone
// while nothing is stopped.
void PopupBlocker::TellWhenNoBrowserIsFollowed() {
  noBrowserNotice_.SetEnabled(false);
  if (!tracker_ || tracker_->Count() > 0) return;
  const std::string status = controls_.lblStatus.Caption();
  if (status.compare(0, kNowPrevents.size(), kNowPrevents) != 0) return;
  controls_.lblStatus.SetCaption(status + kTwoLines + std::string(kNoBrowserFollowed));
  Log("No browser window is followed.");
}

}  // namespace quorlen
