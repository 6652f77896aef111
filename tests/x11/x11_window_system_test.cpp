#include "platform/linux/x11_window_system.h"

#include <memory>

#include "tests/support/window_system_test.h"

namespace quorlen {
namespace {

using testing_support::Child;
using testing_support::Command;
using testing_support::Toolkits;

class X11WindowSystemTest : public testing_support::WindowSystemTest<X11WindowSystem> {
 protected:
  void SetUp() override {
    if (!windows.Connected()) GTEST_SKIP() << "no X display";
  }
  void MakeForeground(WindowId window) {
    windows.Activate(window);
    EXPECT_TRUE(WaitFor([&] { return windows.ActiveWindow() == window; }, 5000));
  }
};

TEST_F(X11WindowSystemTest, ToolkitWindowsAreFoundNamedListedAndClosedThroughTheWindowManager) {
  std::vector<std::unique_ptr<Child>> children;
  std::vector<WindowId> opened;
  std::vector<std::string> seen;
  for (const auto& toolkit : Toolkits(true)) {
    SCOPED_TRACE(toolkit.name);
    // A title outside ASCII arrives in the program's single-byte text.
    const std::string title = std::string("Casino caf\xC3\xA9 ") + toolkit.name;
    seen.push_back(std::string("Casino caf\xE9 ") + toolkit.name);
    children.push_back(std::make_unique<Child>(Command(toolkit, title)));
    WindowId window = Open(*children.back(), seen.back());
    ASSERT_NE(window, 0u);
    opened.push_back(window);
    MakeForeground(window);
    EXPECT_EQ(windows.WindowTitle(window), seen.back());
    EXPECT_EQ(windows.AppId(window), toolkit.className);
    EXPECT_TRUE(windows.IsVisible(window));
    EXPECT_EQ(Position(window), 0);
  }
  // The one made active last is on top.
  EXPECT_LT(Position(opened[2]), Position(opened[1]));
  EXPECT_LT(Position(opened[1]), Position(opened[0]));
  MakeForeground(opened[0]);
  EXPECT_TRUE(WaitFor([&] { return Position(opened[0]) == 0; }, 3000));
  EXPECT_LT(Position(opened[2]), Position(opened[1]));
  // Asking about closed windows makes X errors, which do not end the program.
  for (size_t i = 0; i < opened.size(); ++i) {
    SCOPED_TRACE(seen[i]);
    const WindowId inner = windows.TopDialog(opened[i]);
    windows.RequestClose(opened[i]);
    EXPECT_NE(children[i]->ExitCode(5000), -1) << "the window did not close";
    const int errors = windows.ErrorCount();
    ExpectGone(opened[i], seen[i]);
    if (inner != 0) ExpectGone(inner);
    EXPECT_GT(windows.ErrorCount(), errors);
  }
}

TEST_F(X11WindowSystemTest, TheFirstChildOfAWindowIsItsDialog) {
  Child child({QUORLEN_TEST_WINDOW, "--dialog", "Owner window", "Casino offer dialog"});
  WindowId owner = Open(child, "Owner window");
  WindowId dialog = Open(child, "Casino offer dialog");
  ASSERT_NE(owner, 0u);
  ASSERT_NE(dialog, 0u);
  MakeForeground(owner);
  EXPECT_EQ(windows.TopDialog(owner), dialog);
  EXPECT_NE(windows.TopDialog(dialog), owner) << "a dialog does not own its owner";
}

// The titles editor lists every window not hidden: a minimised one, not a withdrawn one.
TEST_F(X11WindowSystemTest, MinimisedWindowCountsAsShownAndAWithdrawnOneDoesNot) {
  Child minimised(Command(Toolkits(true)[0], "Minimised xterm"));
  Child withdrawn(Command(Toolkits(true)[0], "Withdrawn xterm"));
  WindowId small = Open(minimised, "Minimised xterm");
  WindowId gone = Open(withdrawn, "Withdrawn xterm");
  ASSERT_NE(small, 0u);
  ASSERT_NE(gone, 0u);
  ASSERT_TRUE(WaitFor([&] { return windows.IsVisible(small) && windows.IsVisible(gone); }));
  Child minimise({"xdotool", "windowminimize", "--sync", std::to_string(small)});
  Child unmap({"xdotool", "windowunmap", "--sync", std::to_string(gone)});
  ASSERT_EQ(minimise.ExitCode(5000), 0);
  ASSERT_EQ(unmap.ExitCode(5000), 0);
  EXPECT_TRUE(WaitFor([&] { return !windows.IsVisible(gone); }, 5000));
  EXPECT_TRUE(windows.IsVisible(small));
  EXPECT_GE(Position(small), 0);
  EXPECT_EQ(windows.WindowTitle(small), "Minimised xterm");
}

TEST_F(X11WindowSystemTest, ErrorBoxIsAnsweredNoThroughTheAccessibilityBus) {
  AnswerErrorBoxesNo();
}

}  // namespace
}  // namespace quorlen
