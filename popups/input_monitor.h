#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/controls.h"
#include "core/timer.h"
#include "platform/event_loop.h"
#include "platform/input.h"
#include "popups/press_history.h"

namespace quorlen {

// The controls of the settings window the input monitor writes and reads.
struct InputMonitorControls {
  Label& LblKeyName;
  Label& LblVKeycode;
  TabStrip& A;  // while it shows its " Startup" tab, presses are not registered
};

// Watches the mouse buttons and Shift, Ctrl and Alt system-wide, every 50 ms, so that a
// window the user asked for (a click, a double click, a held modifier) is told apart from
// one a page opens by itself. The signals are short-lived flags and the running state of
// one-shot timers; browser navigation clears the click flags through ResetClicks.
// Joined browsers tell of presses in their pages too, which is all there is to see on
// Wayland, where no program sees input aimed at another's window; on X11 both see most
// presses, and each counts once.
class InputMonitor {
 public:
  static constexpr int kPollMs = 50;
  static constexpr int kClickResetMs = 2000;
  static constexpr int kDoubleClickWindowMs = PressHistory::kDoubleClickWindowMs;
  static constexpr int kDoubleClickOkMs = PressHistory::kDoubleClickOkMs;
  static constexpr int kStartupTab = 1;
  // The poll sees a press up to one poll late and a browser tells of it a few
  // milliseconds after it, more on a busy page: sightings of one button or key by the two
  // this close together are one press.
  static constexpr int kSamePressMs = 100;

  InputMonitor(EventLoop& loop, InputState& input, InputMonitorControls controls);

  // The main window is up: polling starts, with the click-reset and double-click timers
  // running as the window created them.
  void Start();
  // One poll of the buttons and keys: every Timerkeys tick.
  void CheckKeys();
  // Sets both click flags to `value`, shows `reason` and stops TimerDClickOK and
  // timerClickReset. A held modifier's flag stays.
  void ResetClicks(bool value, const std::string& reason);
  // What a browser's page saw the user press: the button or key and each modifier held
  // count as presses of the poll would, and a double click starts TimerDClickOK as a
  // second press does. A press told late counts at the time it happened: it changes the
  // flags now only when it is news of this moment.
  void PageInputSeen(const PageInput& input);

  // The popup decision's flags as they stood at `atMs` (on the event loop's clock), from
  // every press known now; at the present moment they are the flags above.
  InputFlags FlagsAt(std::int64_t atMs) const { return history_.FlagsAt(atMs); }
  // ResetClicks, counted in the flags from `atMs` on: an allowed window takes the click
  // that asked for it at the time the page asked.
  void ResetClicksAt(std::int64_t atMs, const std::string& reason);
  // An allowed window ends the double-click grace, counted from `atMs` on.
  void StopDoubleClickOK(std::int64_t atMs);
  std::int64_t NowMs() const { return loop_.NowMs(); }

  bool getMouseClicked() const { return bLeftClicked_ || bRightClicked_; }
  bool getHotKeyDown() const { return bHotKeyDown_; }
  void setHotKeyDown(bool value) { bHotKeyDown_ = value; }
  bool getDoubleClickOK() const { return TimerDClickOK.Enabled(); }
  bool bLeftClicked() const { return bLeftClicked_; }
  bool bRightClicked() const { return bRightClicked_; }
  std::int16_t nLClickCount() const { return nLClickCount_; }
  std::int16_t nRClickCount() const { return nRClickCount_; }

  // The keyboard monitor's Start set to False: every key is queried once and the answers
  // dropped, which forgets presses not yet seen.
  void StopKeyboardMonitor();

  Timer Timerkeys;
  Timer timerClickReset;
  Timer TimerLDClick;
  Timer TimerRDClick;
  Timer TimerDClickOK;

 private:
  enum Source { kPolled, kFromPage };
  // When one source last saw a key go down, and whether the other has seen that press too.
  struct Sighting {
    std::int64_t at = 0;
    bool matched = true;
  };

  void RegisterClick(bool& clicked, Timer& window, std::int16_t& count);
  // One press of `key` (1 to 18) seen by `source`: shown, and registered unless it is the
  // other source's sighting of a press already registered. `name` is the poll's key name.
  // `atMs` is when it happened; `live` whether it changes the flags of this moment.
  void Press(int key, Source source, std::int64_t atMs, bool live, std::string& name);
  bool SeenByTheOtherSource(int key, Source source, std::int64_t atMs);

  EventLoop& loop_;
  InputState& input_;
  InputMonitorControls controls_;
  bool bLeftClicked_ = false;
  bool bRightClicked_ = false;
  bool bHotKeyDown_ = false;
  std::int16_t nLClickCount_ = 0;
  std::int16_t nRClickCount_ = 0;
  std::array<std::array<Sighting, 2>, virtual_key::kAlt + 1> sightings_{};
  PressHistory history_;
};

}  // namespace quorlen
