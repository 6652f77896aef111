#include "platform/linux/wayland_window_system.h"

#include <cstdlib>
#include <memory>

#include "tests/support/window_system_test.h"

namespace quorlen {
namespace {

using testing_support::Child;
using testing_support::Command;
using testing_support::Toolkits;

class WaylandWindowSystemTest : public testing_support::WindowSystemTest<WaylandWindowSystem> {
 protected:
  void SetUp() override {
    // The compositor the test was started under, and so the list it must offer.
    const std::string expected =
        std::getenv("QUORLEN_WINDOW_LIST") ? std::getenv("QUORLEN_WINDOW_LIST") : "";
    if (expected.empty()) GTEST_SKIP() << "not under a compositor of the tests";
    ASSERT_EQ(windows.Spoken(), expected == "plasma"
                                    ? WaylandWindowSystem::Protocol::kPlasmaWindowManagement
                                    : WaylandWindowSystem::Protocol::kWlrForeignToplevel);
  }
};

TEST_F(WaylandWindowSystemTest, ToolkitWindowsAreSeenActivatedListedAndClosedOnRequest) {
  std::vector<std::unique_ptr<Child>> children;
  std::vector<WindowId> opened;
  for (const auto& toolkit : Toolkits(false)) {
    SCOPED_TRACE(toolkit.name);
    const std::string title = std::string("Casino caf\xC3\xA9 ") + toolkit.name;
    children.push_back(std::make_unique<Child>(Command(toolkit, title)));
    WindowId window = Open(*children.back(), std::string("Casino caf\xE9 ") + toolkit.name);
    ASSERT_NE(window, 0u);
    opened.push_back(window);
    // The compositor gives a new window the focus.
    EXPECT_TRUE(WaitFor([&] { return windows.ActiveWindow() == window; }, 5000));
    EXPECT_TRUE(windows.IsVisible(window));
    EXPECT_EQ(Position(window), 0);
    EXPECT_NE(windows.AppId(window), "");
  }
  EXPECT_LT(Position(opened[1]), Position(opened[0]));
  windows.Activate(opened[0]);
  EXPECT_TRUE(WaitFor([&] { return windows.ActiveWindow() == opened[0]; }, 5000));
  EXPECT_EQ(Position(opened[0]), 0);
  for (size_t i = 0; i < opened.size(); ++i) {
    SCOPED_TRACE(Toolkits(false)[i].name);
    windows.RequestClose(opened[i]);
    EXPECT_NE(children[i]->ExitCode(5000), -1) << "the window did not close";
    ExpectGone(opened[i], std::string("Casino caf\xE9 ") + Toolkits(false)[i].name);
  }
}

TEST_F(WaylandWindowSystemTest, ErrorBoxIsAnsweredNoThroughTheAccessibilityBus) {
  AnswerErrorBoxesNo();
}

}  // namespace
}  // namespace quorlen
