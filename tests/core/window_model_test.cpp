#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/controls.h"
#include "core/debug_log.h"
#include "core/text.h"
#include "core/timer.h"
#include "platform/fake/virtual_clock.h"

namespace quorlen {
namespace {

TEST(CheckBox, ClickHandlerRunsOnlyOnARealChange) {
  CheckBox box;
  int clicks = 0;
  box.onClick = [&] { ++clicks; };
  box.SetValue(0);
  EXPECT_EQ(clicks, 0);
  box.SetValue(1);
  box.SetValue(1);
  EXPECT_EQ(clicks, 1);
  box.Click();
  EXPECT_EQ(box.Value(), 0);
  EXPECT_EQ(clicks, 2);
}

// Also from inside a change; a signal destroyed first leaves its connections inert.
TEST(Signal, AListenerIsToldWhileItsConnectionLives) {
  std::vector<std::string> told;
  auto label = std::make_unique<Label>();
  Connection first = label->changed.Connect([&] { told.push_back("first"); });
  Connection once;
  once = label->changed.Connect([&] {
    told.push_back("once");
    once.Disconnect();
  });
  {
    Connection scoped = label->changed.Connect([&] { told.push_back("scoped"); });
    label->SetCaption("a");
  }
  label->SetCaption("b");
  Connection moved = std::move(first);
  label->SetCaption("c");
  EXPECT_EQ(told, (std::vector<std::string>{"first", "once", "scoped", "first", "first"}));
  label.reset();
  moved.Disconnect();
}

TEST(ListBox, SortedBoxSortsCaseInsensitively) {
  ListBox list;
  list.SetSorted(true);
  for (const char* item : {"b", "C", "a", "B"}) list.AddItem(item);
  const std::vector<std::string> items = list.Items();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_TRUE(std::is_sorted(items.begin(), items.end(), [](const auto& x, const auto& y) {
    return LowerCase(x) < LowerCase(y);
  })) << testing::PrintToString(items);
}

TEST(Timer, RepeatsAtItsIntervalAndZeroNeverTicks) {
  VirtualClock clock;
  Timer repeating(clock, 500, true);
  Timer never(clock, 0, true);
  int a = 0, b = 0;
  repeating.onTick = [&] { ++a; };
  never.onTick = [&] { ++b; };
  clock.Advance(2499);
  EXPECT_EQ(a, 4);
  clock.Advance(1);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 0);
  EXPECT_FALSE(never.Enabled());
}

class DebugLogTest : public testing::Test {
 protected:
  VirtualClock clock_{LocalTime{2026, 12, 6, 9, 5, 7}};
  TextBox txtStatus_;
  CheckBox chkDebug_;
  DebugLogArea log_{clock_, txtStatus_, chkDebug_};
};

// Detail lines only with extra debug.
TEST_F(DebugLogTest, IsOffUntilTheDebugButton) {
  log_.DebugLog("before");
  EXPECT_EQ(txtStatus_.Text(), "");
  log_.cmdClear_Click();
  log_.DebugLog("first");
  log_.DebugLog("# detail");
  log_.DebugLog("second");
  EXPECT_EQ(txtStatus_.Text(), "5:7 - second\r\n5:7 - first\r\n");
  chkDebug_.SetTicked(true);
  log_.DebugLog("# detail");
  EXPECT_EQ(txtStatus_.Text(), "5:7 - # detail\r\n5:7 - second\r\n5:7 - first\r\n");
  log_.cmdClear_Click();
  EXPECT_EQ(txtStatus_.Text(), "");
}

TEST_F(DebugLogTest, CutAtExactly15000Characters) {
  log_.cmdClear_Click();
  const std::string line(995, 'x');  // 1003 characters a line with its stamp and line end
  for (int i = 0; i < 14; ++i) log_.DebugLog(line);
  ASSERT_EQ(txtStatus_.Text().size(), 14u * (6 + 995 + 2));
  log_.DebugLog(line);  // 15045 characters before the cut
  EXPECT_EQ(txtStatus_.Text().size(), DebugLogArea::kMaxLength);
  log_.DebugLog("newest");
  EXPECT_EQ(txtStatus_.Text().size(), 15000u);
  EXPECT_EQ(txtStatus_.Text().substr(0, 14), "5:7 - newest\r\n");
  // The cut falls inside the oldest line still shown.
  EXPECT_EQ(txtStatus_.Text().back(), 'x');
}

}  // namespace
}  // namespace quorlen
