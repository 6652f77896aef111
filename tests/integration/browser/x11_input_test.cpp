#include "platform/linux/x11_input.h"

#include <tuple>

#include "tests/integration/browser/browser_fixture.h"

namespace quorlen {
namespace {

namespace vk = virtual_key;
using testing_support::WaitUntil;
using testing_support::Xdotool;

// Real presses on the X server, read back the way the program polls them.
TEST(X11Input, ButtonsAndModifiersReadAsTheWindowsCallReportsThem) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  // Each is pressed with xdotool's "<kind>down <what>" and let go with "<kind>up <what>".
  const std::tuple<std::string, const char*, int> rows[] = {
      {"mouse", "1", vk::kLeftButton},    {"mouse", "3", vk::kRightButton},
      {"mouse", "2", vk::kMiddleButton},  {"mouse", "8", vk::kX1Button},
      {"mouse", "9", vk::kX2Button},      {"key", "Shift_L", vk::kShift},
      {"key", "Control_R", vk::kControl}, {"key", "Alt_L", vk::kAlt},
      {"key", "Return", vk::kReturn}};
  X11InputState input;
  for (const auto& [kind, what, virtualKey] : rows) {
    SCOPED_TRACE(what);
    input.Refresh();
    EXPECT_EQ(input.GetAsyncKeyState(virtualKey), 0);
    ASSERT_TRUE(Xdotool(kind + "down " + what));
    // The first poll that finds it down tells the press.
    std::int16_t state = 0;
    EXPECT_TRUE(WaitUntil([&] {
      input.Refresh();
      return (state = input.GetAsyncKeyState(virtualKey)) != 0;
    }));
    EXPECT_EQ(state, InputState::kDownAndPressed);
    input.Refresh();  // held through a second poll: down, but no new press
    EXPECT_EQ(input.GetAsyncKeyState(virtualKey), InputState::kDown);
    EXPECT_EQ(input.GetAsyncKeyState(vk::kTab), 0);
    ASSERT_TRUE(Xdotool(kind + "up " + what));
    EXPECT_TRUE(WaitUntil([&] {
      input.Refresh();
      return input.GetAsyncKeyState(virtualKey) == 0;
    }));
  }
}

}  // namespace
}  // namespace quorlen
