#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/controls.h"
#include "core/timer.h"
#include "platform/event_loop.h"
#include "platform/sound.h"

namespace quorlen {

// The controls of the settings window and the tray menu that tell of blocked popups.
struct PopupNoticeControls {
  Label& lbltype;
  Label& lblpage;
  Label& lblLastIEPop;
  Label& lblLastIEPop1;
  MenuItem& mnuTrayLastIEPop;
  CheckBox& chkPopSound;
  TextBox& txtPopWav;
};

// What the notices need of the rest of the program.
struct PopupNoticeHooks {
  std::function<std::string()> timeStamp;
  std::function<void(const std::string&)> putRecord;  // into the recent-popups buffer
  std::function<void()> addBlockedAd;
};

// Tells the user of blocked popups, whichever way they were blocked: the labels, the
// sound, the count of blocked ads, the record of the page, the tray entry that allows
// it; and notices bursts of popups, after which clicks and keys count a little longer.
class PopupNotifier {
 public:
  static constexpr int kBurstMs = 4000;
  static constexpr int kBurstSize = 3;
  static constexpr int kBurstLengthensClicksMs = 500;

  // `clickReset` is the input monitor's timer that a burst lengthens once.
  PopupNotifier(EventLoop& loop, Sound& sound, Timer& clickReset, PopupNoticeControls controls,
                PopupNoticeHooks hooks);

  // After a blocked popup; `text` is the opener's address or the title watcher's message.
  void PopupBlocked(const std::string& text);
  // Records and shows the page that had a popup blocked.
  void NoteBlockedPopupPage(const std::string& url);
  // The tray entry after a white-listed page opened a window.
  void NoteAllowedPopupPage(const std::string& url);

  const std::string& getLastBlockedPopupPage() const { return sLastBlockedPopupPage_; }
  std::int16_t nManyPops() const { return nManyPops_; }
  bool bManyPopsSeen() const { return bManyPopsSeen_; }

  // The address without its scheme: the text after the first "://", or all of it.
  static std::string WithoutScheme(const std::string& url);

  Timer TimerManyPops;

 private:
  void TimerManyPops_Timer();

  EventLoop& loop_;
  Sound& sound_;
  Timer& clickReset_;
  PopupNoticeControls controls_;
  PopupNoticeHooks hooks_;
  std::int16_t nManyPops_ = 0;
  bool bManyPopsSeen_ = false;
  std::string sLastBlockedPopupPage_;
};

}  // namespace quorlen
