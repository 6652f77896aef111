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

TEST_F(WaylandWindowSystemTest, ToolkitWindowsAreSeenActiveAndClosedOnRequest) {
  for (const auto& toolkit : Toolkits(false)) {
    SCOPED_TRACE(toolkit.name);
    const std::string title = std::string("Casino caf\xC3\xA9 ") + toolkit.name;
    const std::string seen = std::string("Casino caf\xE9 ") + toolkit.name;
    Child child(Command(toolkit, title));
    WindowId window = Open(child, seen);
    ASSERT_NE(window, 0u);
    // The compositor gives a new window the focus.
    EXPECT_TRUE(WaitFor([&] { return windows.ActiveWindow() == window; }, 5000));
    EXPECT_TRUE(windows.IsVisible(window));
    EXPECT_EQ(Position(window), 0);
    EXPECT_NE(windows.AppId(window), "");
    windows.RequestClose(window);
    EXPECT_NE(child.ExitCode(5000), -1) << "the window did not close";
    EXPECT_TRUE(WaitFor([&] { return Position(window) == -1; }, 3000));
    EXPECT_EQ(windows.WindowTitle(window), "");
    EXPECT_FALSE(windows.IsVisible(window));
  }
}

TEST_F(WaylandWindowSystemTest, ActivatingAWindowMakesItTheForegroundAndFirstListed) {
  std::vector<std::unique_ptr<Child>> children;
  std::vector<WindowId> opened;
  for (const char* title : {"First window", "Second window"}) {
    children.push_back(std::make_unique<Child>(Command(Toolkits(false)[1], title)));
    opened.push_back(Open(*children.back(), title));
    ASSERT_NE(opened.back(), 0u);
    ASSERT_TRUE(WaitFor([&] { return windows.ActiveWindow() == opened.back(); }, 5000));
  }
  EXPECT_LT(Position(opened[1]), Position(opened[0]));
  windows.Activate(opened[0]);
  EXPECT_TRUE(WaitFor([&] { return windows.ActiveWindow() == opened[0]; }, 5000));
  EXPECT_EQ(Position(opened[0]), 0);
  // A vanished window finds nothing, and asking about it harms nothing.
  children[1]->Kill();
  ASSERT_NE(children[1]->ExitCode(5000), -1);
  EXPECT_TRUE(WaitFor([&] { return Position(opened[1]) == -1; }, 5000));
  windows.RequestClose(opened[1]);
  windows.Activate(opened[1]);
  EXPECT_EQ(windows.FindByTitle("Second window"), 0u);
  EXPECT_TRUE(windows.ReadEvents());
}

TEST_F(WaylandWindowSystemTest, ErrorBoxIsAnsweredNoThroughTheAccessibilityBus) {
  AnswerErrorBoxesNo();
}

}  // namespace
}  // namespace quorlen
