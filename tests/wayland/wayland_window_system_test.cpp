#include "platform/linux/wayland_window_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/atspi_buttons.h"
#include "tests/support/child_process.h"

namespace quorlen {
namespace {

using testing_support::Child;

struct Toolkit {
  const char* name;
  std::vector<std::string> argv;  // the title is added as the last argument
  const char* titleOption;
};

// A window of each toolkit that draws Wayland windows of its own: GTK (zenity) and Qt.
std::vector<Toolkit> Toolkits() {
  return {{"gtk", {"zenity", "--info", "--text=Seen by the title watcher"}, "--title="},
          {"qt", {QUORLEN_TEST_WINDOW}, ""}};
}

std::vector<std::string> Command(const Toolkit& toolkit, const std::string& title) {
  auto argv = toolkit.argv;
  argv.push_back(toolkit.titleOption + title);
  return argv;
}

class WaylandWindowSystemTest : public ::testing::Test {
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

  // Takes in the compositor's news between tries, as the program's event loop does.
  bool WaitFor(const std::function<bool()>& condition, int ms = 10000) {
    return testing_support::WaitFor(condition, ms, [this] { ASSERT_TRUE(windows.ReadEvents()); });
  }
  WindowId Open(Child& child, const std::string& title) {
    WindowId window = 0;
    EXPECT_TRUE(WaitFor([&] { return (window = windows.FindByTitle(title)) != 0; }))
        << "no window titled " << title << " (pid " << child.Pid() << ")";
    return window;
  }
  int Position(WindowId window) {
    auto all = windows.TopLevelWindows();
    auto at = std::find(all.begin(), all.end(), window);
    return at == all.end() ? -1 : static_cast<int>(at - all.begin());
  }

  AtSpiButtons buttons;
  WaylandWindowSystem windows{&buttons};
};

TEST_F(WaylandWindowSystemTest, ToolkitWindowsAreSeenActiveAndClosedOnRequest) {
  for (const auto& toolkit : Toolkits()) {
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
    std::printf("[ toolkit ] %s: app id '%s', first child %s\n", toolkit.name,
                windows.AppId(window).c_str(), windows.TopDialog(window) ? "found" : "none");
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
    children.push_back(std::make_unique<Child>(Command(Toolkits()[1], title)));
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
    if (no == 0) continue;
    windows.Activate(window);
    windows.PressButton(no);
    EXPECT_EQ(child.ExitCode(5000), box.exitOnNo);
  }
}

}  // namespace
}  // namespace quorlen
