#include <gtest/gtest.h>

#include "core/frm_msg.h"
#include "platform/fake/virtual_clock.h"

namespace quorlen {
namespace {

TEST(MessageWindow, CountsDownAndClosesOnTheFifteenthTick) {
  VirtualClock clock;
  frmMSG message(clock, [] { return std::pair<int, int>{1024, 768}; });
  message.Show("Title", "Text");
  EXPECT_TRUE(message.window.Visible());
  EXPECT_EQ(message.window.Caption(), "Title");
  EXPECT_EQ(message.lblMSG.Caption(), "Text");
  const Geometry& at = message.window.Bounds();
  EXPECT_EQ(at.left + at.width / 2, 512);
  EXPECT_EQ(at.top + at.height / 2, 384);
  clock.Advance(1000);
  EXPECT_EQ(message.lblStatus.Caption(), "This Window will automatically close in 14 seconds.");
  clock.Advance(13000);
  EXPECT_EQ(message.lblStatus.Caption(), "This Window will automatically close in 1 seconds.");
  EXPECT_TRUE(message.window.Visible());
  clock.Advance(1000);
  EXPECT_FALSE(message.window.Visible());
  EXPECT_EQ(clock.RunningTimers(), 0);
}

TEST(MessageWindow, ShownAgainCountsAfreshAndCloseStopsTheCount) {
  VirtualClock clock;
  frmMSG message(clock, nullptr);
  message.Show("A", "first");
  clock.Advance(10000);
  message.Show("B", "second");
  clock.Advance(10000);
  EXPECT_TRUE(message.window.Visible());
  message.cmdOK.Click();
  EXPECT_FALSE(message.window.Visible());
  EXPECT_EQ(clock.RunningTimers(), 0);
}

}  // namespace
}  // namespace quorlen
