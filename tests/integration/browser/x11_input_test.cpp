#include "platform/linux/x11_input.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace quorlen {
namespace {

namespace vk = virtual_key;

int Xdotool(const std::string& arguments) {
  return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str());
}

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
    ASSERT_EQ(Xdotool(row.down), 0);
    usleep(100000);
    input.Refresh();
    EXPECT_EQ(input.GetAsyncKeyState(row.virtualKey), InputState::kDownAndPressed);
    input.Refresh();  // held through a second poll: down, but no new press
    EXPECT_EQ(input.GetAsyncKeyState(row.virtualKey), InputState::kDown);
    EXPECT_EQ(input.GetAsyncKeyState(vk::kTab), 0);
    ASSERT_EQ(Xdotool(row.up), 0);
    usleep(100000);
    input.Refresh();
    EXPECT_EQ(input.GetAsyncKeyState(row.virtualKey), 0);
  }
}

}  // namespace
}  // namespace quorlen
