#include "platform/linux/x11_window_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/qt/atspi_buttons.h"
#include "tests/support/child_process.h"

namespace quorlen {
namespace {

using testing_support::Child;
using testing_support::WaitFor;

struct Toolkit {
  const char* name;
  std::vector<std::string> argv;  // the title is added as the last argument
  const char* titleOption;        // how the program takes its title
  const char* className;
};

// One window of each toolkit a desktop user meets: Xt (xterm), GTK (zenity) and Qt.
std::vector<Toolkit> Toolkits() {
  return {{"xterm", {"xterm", "-geometry", "60x10"}, "-T", "XTerm"},
          {"gtk", {"zenity", "--info", "--text=Seen by the title watcher"}, "--title=", "Zenity"},
          {"qt", {QUORLEN_TEST_WINDOW}, "", "QuorlenTestWindow"}};
}

std::vector<std::string> Command(const Toolkit& toolkit, const std::string& title) {
  auto argv = toolkit.argv;
  std::string option = toolkit.titleOption;
  if (option == "-T") {
    argv.insert(argv.begin() + 1, {"-T", title});
  } else {
    argv.push_back(option + title);
  }
  return argv;
}

class X11WindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!windows.Connected()) GTEST_SKIP() << "no X display";
  }

  // Starts the program and waits for its window; 0 when it did not come.
  WindowId Open(Child& child, const std::string& title) {
    WindowId window = 0;
    EXPECT_TRUE(WaitFor([&] { return (window = windows.FindByTitle(title)) != 0; }))
        << "no window titled " << title << " (pid " << child.Pid() << ")";
    return window;
  }
  void MakeForeground(WindowId window) {
    windows.Activate(window);
    EXPECT_TRUE(WaitFor([&] { return windows.ActiveWindow() == window; }, 5000));
  }
  int Position(WindowId window) {
    auto all = windows.TopLevelWindows();
    auto at = std::find(all.begin(), all.end(), window);
    return at == all.end() ? -1 : static_cast<int>(at - all.begin());
  }

  AtSpiButtons buttons;
  X11WindowSystem windows{&buttons};
};

TEST_F(X11WindowSystemTest, ToolkitWindowsAreFoundNamedAndClosedThroughTheWindowManager) {
  for (const auto& toolkit : Toolkits()) {
    SCOPED_TRACE(toolkit.name);
    // A title outside ASCII arrives in the program's single-byte text.
    const std::string title = std::string("Casino caf\xC3\xA9 ") + toolkit.name;
    const std::string seen = std::string("Casino caf\xE9 ") + toolkit.name;
    Child child(Command(toolkit, title));
    WindowId window = Open(child, seen);
    ASSERT_NE(window, 0u);
    MakeForeground(window);
    EXPECT_EQ(windows.WindowTitle(window), seen);
    EXPECT_EQ(windows.AppId(window), toolkit.className);
    EXPECT_TRUE(windows.IsVisible(window));
    EXPECT_EQ(Position(window), 0);
    WindowId child1 = windows.TopDialog(window);
    std::printf("[ toolkit ] %s: first child %s, title '%s', class '%s', %s\n", toolkit.name,
                child1 ? "found" : "none", windows.WindowTitle(child1).c_str(),
                windows.AppId(child1).c_str(),
                windows.IsVisible(child1) ? "visible" : "not visible");

    windows.RequestClose(window);
    EXPECT_NE(child.ExitCode(5000), -1) << "the window did not close";
    EXPECT_TRUE(WaitFor([&] { return Position(window) == -1; }, 3000));
  }
}

TEST_F(X11WindowSystemTest, OpenWindowsAreListedTopMostFirst) {
  std::vector<std::unique_ptr<Child>> children;
  std::vector<WindowId> opened;
  for (const auto& toolkit : Toolkits()) {
    std::string title = std::string("Listed ") + toolkit.name;
    children.push_back(std::make_unique<Child>(Command(toolkit, title)));
    opened.push_back(Open(*children.back(), title));
    ASSERT_NE(opened.back(), 0u);
    MakeForeground(opened.back());
  }
  // The one made active last is on top.
  EXPECT_LT(Position(opened[2]), Position(opened[1]));
  EXPECT_LT(Position(opened[1]), Position(opened[0]));
  MakeForeground(opened[0]);
  EXPECT_TRUE(WaitFor([&] { return Position(opened[0]) == 0; }, 3000));
  EXPECT_LT(Position(opened[2]), Position(opened[1]));
}

TEST_F(X11WindowSystemTest, TheFirstChildOfAWindowIsItsDialog) {
  Child child({QUORLEN_TEST_WINDOW, "--dialog", "Owner window", "Casino offer dialog"});
  WindowId owner = Open(child, "Owner window");
  WindowId dialog = Open(child, "Casino offer dialog");
  ASSERT_NE(owner, 0u);
  ASSERT_NE(dialog, 0u);
  MakeForeground(owner);
  EXPECT_EQ(windows.TopDialog(owner), dialog);
  EXPECT_EQ(windows.WindowTitle(windows.TopDialog(owner)), "Casino offer dialog");
  EXPECT_NE(windows.TopDialog(dialog), owner) << "a dialog does not own its owner";
}

// The titles editor lists a minimised window among the open ones, as it lists every
// window that is not hidden: one its application withdrew is not.
TEST_F(X11WindowSystemTest, MinimisedWindowCountsAsShownAndAWithdrawnOneDoesNot) {
  Child minimised(Command(Toolkits()[0], "Minimised xterm"));
  Child withdrawn(Command(Toolkits()[0], "Withdrawn xterm"));
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

TEST_F(X11WindowSystemTest, VanishedWindowFindsNothingAndDoesNotEndTheProgram) {
  Child child(Command(Toolkits()[0], "Vanishing xterm"));
  WindowId window = Open(child, "Vanishing xterm");
  ASSERT_NE(window, 0u);
  WindowId inner = windows.TopDialog(window);
  child.Kill();
  ASSERT_NE(child.ExitCode(5000), -1);
  ASSERT_TRUE(WaitFor([&] { return Position(window) == -1; }, 5000));
  int errors = windows.ErrorCount();
  for (WindowId gone : {window, inner}) {
    EXPECT_EQ(windows.WindowTitle(gone), "");
    EXPECT_EQ(windows.AppId(gone), "");
    EXPECT_FALSE(windows.IsVisible(gone));
    EXPECT_EQ(windows.TopDialog(gone), 0u);
    windows.RequestClose(gone);
    windows.Activate(gone);
  }
  windows.ReadEvents();
  EXPECT_GT(windows.ErrorCount(), errors);
  EXPECT_EQ(windows.FindByTitle("Vanishing xterm"), 0u);
}

TEST_F(X11WindowSystemTest, ErrorBoxIsAnsweredNoThroughTheAccessibilityBus) {
  struct Box {
    const char* toolkit;
    std::vector<std::string> argv;
    int exitOnNo;
  };
  const Box boxes[] = {
      {"gtk", {"zenity", "--question", "--title=Error", "--text=Do you want to debug?"}, 1},
      {"qt", {QUORLEN_TEST_WINDOW, "--question", "Error"}, 7},
  };
  for (const auto& box : boxes) {
    SCOPED_TRACE(box.toolkit);
    Child child(box.argv);
    WindowId window = Open(child, "Error");
    ASSERT_NE(window, 0u);
    ButtonId no = 0;
    // The application registers on the bus a moment after its window shows.
    EXPECT_TRUE(WaitFor([&] { return (no = windows.FindButton(window, "&No")) != 0; }));
    EXPECT_EQ(windows.FindButton(window, "&Maybe"), 0u);
    if (no == 0) continue;
    no = windows.FindButton(window, "&No");
    windows.Activate(window);
    windows.PressButton(no);
    EXPECT_EQ(child.ExitCode(5000), box.exitOnNo);
  }
}

}  // namespace
}  // namespace quorlen
