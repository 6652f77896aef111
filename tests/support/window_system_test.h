#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/qt/atspi_buttons.h"
#include "tests/support/child_process.h"

namespace quorlen::testing_support {

struct Toolkit {
  const char* name;
  std::vector<std::string> argv;  // the title is added as the last argument
  const char* titleOption;        // how the program takes its title
  const char* className;
};

// One window of each toolkit a desktop user meets: Xt (xterm, X11 only), GTK (zenity), Qt.
inline std::vector<Toolkit> Toolkits(bool withXterm) {
  std::vector<Toolkit> all = {
      {"gtk", {"zenity", "--info", "--text=Seen by the title watcher"}, "--title=", "Zenity"},
      {"qt", {QUORLEN_TEST_WINDOW}, "", "QuorlenTestWindow"}};
  if (withXterm)
    all.insert(all.begin(), {"xterm", {"xterm", "-geometry", "60x10", "-T"}, "", "XTerm"});
  return all;
}

inline std::vector<std::string> Command(const Toolkit& toolkit, const std::string& title) {
  auto argv = toolkit.argv;
  argv.push_back(toolkit.titleOption + title);
  return argv;
}

template <class System>
class WindowSystemTest : public ::testing::Test {
 protected:
  // Takes in the window system's news between tries, as the program's event loop does.
  bool WaitFor(const std::function<bool()>& condition, int ms = 10000) {
    return testing_support::WaitFor(condition, ms, [this] { ASSERT_TRUE(windows.ReadEvents()); });
  }
  // Waits for the program's window; 0 when it did not come.
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

  // A window that went away finds nothing, and asking about it or closing it harms nothing.
  void ExpectGone(WindowId window, const std::string& title = "") {
    EXPECT_TRUE(WaitFor([&] { return Position(window) == -1; }, 5000));
    EXPECT_EQ(windows.WindowTitle(window), "");
    EXPECT_EQ(windows.AppId(window), "");
    EXPECT_FALSE(windows.IsVisible(window));
    EXPECT_EQ(windows.TopDialog(window), 0u);
    windows.RequestClose(window);
    windows.Activate(window);
    EXPECT_TRUE(title.empty() || windows.FindByTitle(title) == 0u);
    EXPECT_TRUE(windows.ReadEvents());
  }

  // An error box of GTK and one of Qt are answered No through the accessibility bus.
  void AnswerErrorBoxesNo() {
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
      EXPECT_TRUE(WaitFor([&] { return (no = windows.FindButton(window, "&No")) != 0; }, 30000));
      EXPECT_EQ(windows.FindButton(window, "&Maybe"), 0u);
      if (no == 0) continue;
      no = windows.FindButton(window, "&No");
      windows.Activate(window);
      windows.PressButton(no);
      EXPECT_EQ(child.ExitCode(5000), box.exitOnNo);
    }
  }

  AtSpiButtons buttons;
  System windows{&buttons};
};

}  // namespace quorlen::testing_support
