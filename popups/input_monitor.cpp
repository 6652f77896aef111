#include "popups/input_monitor.h"

#include <algorithm>
#include <cstdlib>

namespace quorlen {

InputMonitor::InputMonitor(EventLoop& loop, InputState& input, InputMonitorControls controls)
    : Timerkeys(loop, kPollMs),
      timerClickReset(loop, kClickResetMs),
      TimerLDClick(loop, kDoubleClickWindowMs),
      TimerRDClick(loop, kDoubleClickWindowMs),
      TimerDClickOK(loop, kDoubleClickOkMs),
      loop_(loop),
      input_(input),
      controls_(controls) {
  Timerkeys.onTick = [this] { CheckKeys(); };
  timerClickReset.onTick = [this] {
    ResetClicks(false, "reset LC and CNTRL: timer");
    bHotKeyDown_ = false;
    timerClickReset.SetEnabled(false);
  };
  TimerLDClick.onTick = [this] {
    nLClickCount_ = 0;
    TimerLDClick.SetEnabled(false);
  };
  TimerRDClick.onTick = [this] {
    nRClickCount_ = 0;
    TimerRDClick.SetEnabled(false);
  };
  TimerDClickOK.onTick = [this] { TimerDClickOK.SetEnabled(false); };
}

void InputMonitor::Start() {
  Timerkeys.SetEnabled(true);
  timerClickReset.SetEnabled(true);
  TimerDClickOK.SetEnabled(true);
  history_.Started(loop_.NowMs(), timerClickReset.Interval());
}

void InputMonitor::RegisterClick(bool& clicked, Timer& window, std::int16_t& count) {
  clicked = true;
  timerClickReset.SetEnabled(true);
  if (!window.Enabled()) {
    window.SetEnabled(true);
    count = 1;
    return;
  }
  if (count < INT16_MAX) ++count;
  if (count >= 2 && !TimerDClickOK.Enabled()) {
    TimerDClickOK.SetEnabled(true);
    TimerDClickOK.SetInterval(kDoubleClickOkMs);
  }
}

void InputMonitor::CheckKeys() {
  loop_.DoEvents();
  std::string name;
  input_.Refresh();
  for (int key = 1; key <= virtual_key::kAlt; ++key) {
    if (input_.GetAsyncKeyState(key) != InputState::kDownAndPressed) continue;
    Press(key, kPolled, loop_.NowMs(), true, name);
  }
}

void InputMonitor::PageInputSeen(const PageInput& input) {
  std::string name;
  const std::int64_t at = loop_.NowMs() - std::max(input.msAgo, 0);
  // Told within the time two sightings of one press may lie apart, it is news of now.
  const bool live = input.msAgo <= kSamePressMs;
  if (input.kind == PageInput::Kind::kDoubleClick) {
    bool button = input.virtualKey == virtual_key::kLeftButton ||
                  input.virtualKey == virtual_key::kRightButton;
    if (button && controls_.A.CurrentPage() != kStartupTab) {
      history_.DoubleClicked(at);
      if (live && !TimerDClickOK.Enabled()) {
        TimerDClickOK.SetEnabled(true);
        TimerDClickOK.SetInterval(kDoubleClickOkMs);
      }
    }
  } else {
    Press(input.virtualKey, kFromPage, at, live, name);
  }
  if (input.shift) Press(virtual_key::kShift, kFromPage, at, live, name);
  if (input.control) Press(virtual_key::kControl, kFromPage, at, live, name);
  if (input.alt) Press(virtual_key::kAlt, kFromPage, at, live, name);
}

bool InputMonitor::SeenByTheOtherSource(int key, Source source, std::int64_t atMs) {
  auto& sightings = sightings_[static_cast<size_t>(key)];
  Sighting& other = sightings[source == kPolled ? kFromPage : kPolled];
  if (!other.matched && std::abs(atMs - other.at) <= kSamePressMs) {
    other.matched = true;
    return true;
  }
  sightings[source] = {atMs, false};
  return false;
}

void InputMonitor::Press(int key, Source source, std::int64_t atMs, bool live, std::string& name) {
  if (key < 1 || key > virtual_key::kAlt) return;
  if (controls_.A.CurrentPage() == kStartupTab) return;
  if (SeenByTheOtherSource(key, source, atMs)) return;
  history_.Pressed(atMs, key, timerClickReset.Interval());
  if (!live) return;
  controls_.LblVKeycode.SetCaption(std::to_string(key));
  switch (key) {
    case virtual_key::kLeftButton:
      name = "[LBUTTON]";
      RegisterClick(bLeftClicked_, TimerLDClick, nLClickCount_);
      break;
    case virtual_key::kRightButton:
      name = "[RBUTTON]";
      RegisterClick(bRightClicked_, TimerRDClick, nRClickCount_);
      break;
    case virtual_key::kShift:
    case virtual_key::kControl:
    case virtual_key::kAlt:
      bHotKeyDown_ = true;
      timerClickReset.SetEnabled(true);
      name = key == virtual_key::kShift     ? "[SHIFT]"
             : key == virtual_key::kControl ? "[CONTROL]"
                                            : "[ALT]";
      break;
    default:
      break;
  }
  controls_.LblKeyName.SetCaption(name);
}

void InputMonitor::ResetClicks(bool value, const std::string& reason) {
  history_.ClicksReset(loop_.NowMs());
  bLeftClicked_ = value;
  bRightClicked_ = value;
  controls_.LblKeyName.SetCaption(reason);
  TimerDClickOK.SetEnabled(false);
  timerClickReset.SetEnabled(false);
}

void InputMonitor::ResetClicksAt(std::int64_t atMs, const std::string& reason) {
  ResetClicks(false, reason);
  history_.ClicksReset(atMs);
}

void InputMonitor::StopDoubleClickOK(std::int64_t atMs) {
  TimerDClickOK.SetEnabled(false);
  history_.DoubleClickStopped(atMs);
}

void InputMonitor::StopKeyboardMonitor() {
  input_.Refresh();
  for (int key = 0; key < virtual_key::kCodes; ++key) input_.GetAsyncKeyState(key);
}

}  // namespace quorlen
