#include "platform/linux/x11_input.h"

#include "tests/integration/browser/browser_fixture.h"

namespace quorlen {
namespace {

namespace vk = virtual_key;
using testing_support::WaitUntil;
using testing_support::Xdotool;

// Real presses on the X server, read back the way the program polls them.
TEST(X11Input, ButtonsAndModifiersReadAsTheWindowsCallReportsThem) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  struct Row {
    const char* name;
    const char* down;
    const char* up;
    int virtualKey;
  };
  const Row rows[] = {
      {"left", "mousedown 1", "mouseup 1", vk::kLeftButton},
      {"right", "mousedown 3", "mouseup 3", vk::kRightButton},
      {"middle", "mousedown 2", "mouseup 2", vk::kMiddleButton},
      {"back", "mousedown 8", "mouseup 8", vk::kX1Button},
      {"forward", "mousedown 9", "mouseup 9", vk::kX2Button},
      {"left shift", "keydown Shift_L", "keyup Shift_L", vk::kShift},
      {"right control", "keydown Control_R", "keyup Control_R", vk::kControl},
      {"left alt", "keydown Alt_L", "keyup Alt_L", vk::kAlt},
      {"return", "keydown Return", "keyup Return", vk::kReturn},
  };
  X11InputState input;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    input.Refresh();
    EXPECT_EQ(input.GetAsyncKeyState(row.virtualKey), 0);
    ASSERT_TRUE(Xdotool(row.down));
    // The first poll that finds it down tells the press.
    std::int16_t state = 0;
    EXPECT_TRUE(WaitUntil([&] {
      input.Refresh();
      return (state = input.GetAsyncKeyState(row.virtualKey)) != 0;
    }));
    EXPECT_EQ(state, InputState::kDownAndPressed);
    input.Refresh();  // held through a second poll: down, but no new press
    EXPECT_EQ(input.GetAsyncKeyState(row.virtualKey), InputState::kDown);
    EXPECT_EQ(input.GetAsyncKeyState(vk::kTab), 0);
    ASSERT_TRUE(Xdotool(row.up));
    EXPECT_TRUE(WaitUntil([&] {
      input.Refresh();
      return input.GetAsyncKeyState(row.virtualKey) == 0;
    }));
  }
}

}  // namespace
}  // namespace quorlen
