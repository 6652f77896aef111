#include "popups/input_monitor.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/fake/fake_input.h"
#include "platform/fake/virtual_clock.h"

namespace quorlen {
namespace {

namespace vk = virtual_key;

// The monitor over fake input, not yet started.
class InputMonitorStart : public ::testing::Test {
 protected:
  VirtualClock clock;
  FakeInput input;
  Label keyName, keyCode;
  TabStrip tabs;
  InputMonitor monitor{clock, input, {keyName, keyCode, tabs}};
};

class InputMonitorTest : public InputMonitorStart {
 protected:
  InputMonitorTest() {
    monitor.Start();
    // Past the window's start: the first click reset and the start-up double-click window.
    clock.Advance(3000);
  }

  // A press held 100 ms, as a person clicks.
  void Tap(int key) {
    input.Press(key);
    clock.Advance(100);
    input.Release(key);
  }
};

TEST_F(InputMonitorStart, ClickResetAndDoubleClickRunFromTheWindowsCreation) {
  EXPECT_FALSE(monitor.Timerkeys.Enabled());  // a second copy never polls
  monitor.Start();
  EXPECT_TRUE(monitor.getDoubleClickOK());
  clock.Advance(1999);
  EXPECT_EQ(keyName.Caption(), "");
  clock.Advance(1);
  EXPECT_EQ(keyName.Caption(), "reset LC and CNTRL: timer");
  EXPECT_FALSE(monitor.timerClickReset.Enabled());
  EXPECT_FALSE(monitor.getDoubleClickOK());  // stopped by the reset, before its own 2500 ms
  clock.Advance(600);
  EXPECT_TRUE(monitor.Timerkeys.Enabled());
}

TEST_F(InputMonitorTest, DoubleClicksNeedTheSameButtonWithin650Ms) {
  // First and second button, the gap between their presses, and whether they double-click.
  const std::tuple<int, int, int, bool> rows[] = {
      {vk::kLeftButton, vk::kLeftButton, 400, true},
      {vk::kLeftButton, vk::kLeftButton, 800, false},
      {vk::kRightButton, vk::kRightButton, 300, true},
      {vk::kLeftButton, vk::kRightButton, 300, false},
      {vk::kRightButton, vk::kLeftButton, 300, false},
  };
  for (const auto& [first, second, gapMs, doubleClick] : rows) {
    SCOPED_TRACE(testing::Message() << first << " then " << second << " after " << gapMs);
    clock.Advance(5000);  // every window of the previous row is over
    ASSERT_FALSE(monitor.getDoubleClickOK());
    Tap(first);
    clock.Advance(gapMs - 100);
    Tap(second);
    clock.Advance(50);
    EXPECT_EQ(monitor.getDoubleClickOK(), doubleClick);
    EXPECT_TRUE(monitor.getMouseClicked());
    if (doubleClick) {
      clock.Advance(2500);
      EXPECT_FALSE(monitor.getDoubleClickOK());
    }
  }
}

TEST_F(InputMonitorTest, AClickCountsUntilTheResetOneIntervalAfterTheFirstPress) {
  Tap(vk::kLeftButton);
  EXPECT_TRUE(monitor.bLeftClicked());
  EXPECT_EQ(std::tuple(keyName.Caption(), keyCode.Caption()), std::tuple("[LBUTTON]", "1"));
  clock.Advance(1200);
  Tap(vk::kRightButton);  // a later press does not stretch the window
  EXPECT_TRUE(monitor.bRightClicked());
  clock.Advance(700);
  EXPECT_FALSE(monitor.getMouseClicked());
  EXPECT_EQ(keyName.Caption(), "reset LC and CNTRL: timer");
}

TEST_F(InputMonitorTest, AHeldModifierCountsOnce) {
  input.Press(vk::kControl);
  clock.Advance(50);
  EXPECT_TRUE(monitor.getHotKeyDown());
  EXPECT_EQ(std::tuple(keyName.Caption(), keyCode.Caption()), std::tuple("[CONTROL]", "17"));
  clock.Advance(2000);
  EXPECT_FALSE(monitor.getHotKeyDown());  // still held, but pressed only once
  clock.Advance(3000);
  EXPECT_FALSE(monitor.getHotKeyDown());
  EXPECT_FALSE(monitor.timerClickReset.Enabled());
  input.Release(vk::kControl);
  clock.Advance(100);
  Tap(vk::kShift);
  EXPECT_TRUE(monitor.getHotKeyDown());
  EXPECT_EQ(keyName.Caption(), "[SHIFT]");
}

TEST_F(InputMonitorTest, NothingRegistersWhileTheStartupTabShows) {
  tabs.SetCurrentPage(InputMonitor::kStartupTab);
  input.Press(vk::kLeftButton);
  input.Press(vk::kAlt);
  clock.Advance(100);
  tabs.SetCurrentPage(0);  // the press was read while the tab showed: it stays unseen
  clock.Advance(100);
  EXPECT_FALSE(monitor.getMouseClicked());
  EXPECT_FALSE(monitor.getHotKeyDown());
  EXPECT_EQ(keyCode.Caption(), "");
  input.Release(vk::kLeftButton);
  clock.Advance(100);
  Tap(vk::kLeftButton);
  EXPECT_TRUE(monitor.getMouseClicked());
}

TEST_F(InputMonitorTest, KeysWithoutANameOnlyShowTheirCode) {
  Tap(vk::kMiddleButton);
  EXPECT_EQ(std::tuple(keyName.Caption(), keyCode.Caption()), std::tuple("", "4"));
  EXPECT_FALSE(monitor.getMouseClicked());
  EXPECT_FALSE(monitor.getHotKeyDown());
  EXPECT_FALSE(monitor.timerClickReset.Enabled());
  // In the same poll as a named key the earlier name stays shown.
  input.Press(vk::kLeftButton);
  input.Press(vk::kX1Button);
  clock.Advance(50);
  EXPECT_EQ(std::tuple(keyName.Caption(), keyCode.Caption()), std::tuple("[LBUTTON]", "5"));
}

TEST_F(InputMonitorTest, ResetClicksLeavesAHeldModifierUntilTheNextPressAndInterval) {
  Tap(vk::kAlt);
  ASSERT_TRUE(monitor.getHotKeyDown());
  monitor.ResetClicks(false, "reset: about to navigate");
  EXPECT_EQ(keyName.Caption(), "reset: about to navigate");
  clock.Advance(10000);
  EXPECT_TRUE(monitor.getHotKeyDown());  // nothing runs the reset any more
  Tap(vk::kLeftButton);
  clock.Advance(1800);
  EXPECT_TRUE(monitor.getHotKeyDown());
  clock.Advance(200);
  EXPECT_FALSE(monitor.getHotKeyDown());
}

// The flags told for a moment past are the ones the timers showed at that moment: random
// presses of both sources, resets and pauses, each moment checked now and again at the end.
TEST_F(InputMonitorTest, TheFlagsOfAMomentPastAreTheOnesShownThen) {
  // Clicked, hot key down, double click allowed.
  using Flags = std::tuple<bool, bool, bool>;
  auto flags = [](const InputFlags& f) {
    return Flags{f.mouseClicked, f.hotKeyDown, f.doubleClickOK};
  };
  std::mt19937 random(7);
  const int keys[] = {vk::kLeftButton, vk::kRightButton, vk::kShift, vk::kControl,
                      vk::kMiddleButton};
  std::vector<std::pair<std::int64_t, Flags>> moments;
  for (int step = 0; step < 4000; ++step) {
    // Every moment is looked at once all that happens in it has happened.
    clock.Advance(1 + static_cast<int>(random() % 400));
    int key = keys[random() % 5];
    const unsigned what = random() % 6;
    if (what == 0) input.Press(key);
    if (what == 1) input.Release(key);
    if (what == 2)
      monitor.PageInputSeen({PageInput::Kind::kButtonDown, key % 3 == 0 ? 1 : key % 3});
    if (what == 3) monitor.PageInputSeen({PageInput::Kind::kDoubleClick, vk::kLeftButton});
    if (what == 4 && random() % 4 == 0) monitor.ResetClicks(false, "reset: about to navigate");
    const Flags now{monitor.getMouseClicked(), monitor.getHotKeyDown(), monitor.getDoubleClickOK()};
    ASSERT_EQ(flags(monitor.FlagsAt(clock.NowMs())), now) << "step " << step;
    moments.emplace_back(clock.NowMs(), now);
  }
  int checked = 0;
  for (const auto& [at, then] : moments) {
    if (at < clock.NowMs() - PressHistory::kKeepMs + 3000) continue;
    EXPECT_EQ(flags(monitor.FlagsAt(at)), then) << at;
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

// A press a page tells of late counts at the time it happened, beside the poll's sighting
// of it, and leaves the flags of this moment alone.
TEST_F(InputMonitorTest, APressToldLateCountsWhenItHappened) {
  Tap(vk::kLeftButton);
  const std::int64_t pressedAt = clock.NowMs() - 100;
  clock.Advance(1000);
  PageInput late{PageInput::Kind::kButtonDown, vk::kLeftButton};
  late.msAgo = 1080;  // the poll's sighting, 20 ms before the page's
  monitor.PageInputSeen(late);
  EXPECT_FALSE(monitor.getDoubleClickOK());  // one press, not two
  EXPECT_FALSE(monitor.FlagsAt(clock.NowMs()).doubleClickOK);
  clock.Advance(1500);
  late.msAgo = 2400;  // 200 ms after the first press: a second one
  monitor.PageInputSeen(late);
  EXPECT_FALSE(monitor.getMouseClicked());
  EXPECT_TRUE(monitor.FlagsAt(pressedAt + 250).doubleClickOK);
  EXPECT_FALSE(monitor.FlagsAt(pressedAt + 150).doubleClickOK);
  EXPECT_FALSE(monitor.FlagsAt(clock.NowMs()).mouseClicked);
}

TEST_F(InputMonitorTest, StoppingTheKeyboardMonitorForgetsUnseenPresses) {
  input.Press(vk::kLeftButton);
  monitor.StopKeyboardMonitor();
  clock.Advance(100);
  EXPECT_FALSE(monitor.getMouseClicked());
  EXPECT_GE(input.queries, 256);
}

}  // namespace
}  // namespace quorlen
