#include "platform/linux/x11_window_system.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/qt/atspi_buttons.h"

extern char** environ;

namespace quorlen {
namespace {

// A program started for one test and killed at its end if it is still there.
class Child {
 public:
  explicit Child(std::vector<std::string> argv) {
    std::vector<char*> args;
    for (auto& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    if (posix_spawnp(&pid_, args[0], nullptr, nullptr, args.data(), environ) != 0) pid_ = -1;
  }
  ~Child() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t Pid() const { return pid_; }
  // The exit code once the program ended within `ms`; -1 while it runs.
  int ExitCode(int ms) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!exited_) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (std::chrono::steady_clock::now() > until) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return code_;
  }
  void Kill() { kill(pid_, SIGKILL); }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int code_ = -1;
};

bool WaitFor(const std::function<bool()>& condition, int ms = 10000) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return true;
}

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
    EXPECT_TRUE(WaitFor([&] { return (window = windows.FindTopLevel(title)) != 0; }))
        << "no window titled " << title << " (pid " << child.Pid() << ")";
    return window;
  }
  void MakeForeground(WindowId window) {
    windows.Activate(window);
    EXPECT_TRUE(WaitFor([&] { return windows.ForegroundWindow() == window; }, 5000));
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
    EXPECT_EQ(windows.WindowText(window), seen);
    EXPECT_EQ(windows.ClassName(window), toolkit.className);
    EXPECT_TRUE(windows.IsVisible(window));
    EXPECT_EQ(Position(window), 0);
    WindowId child1 = windows.FirstChild(window);
    std::printf("[ toolkit ] %s: first child %s, title '%s', class '%s', %s\n", toolkit.name,
                child1 ? "found" : "none", windows.WindowText(child1).c_str(),
                windows.ClassName(child1).c_str(),
                windows.IsVisible(child1) ? "visible" : "not visible");

    windows.PostClose(window);
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
  EXPECT_EQ(windows.FirstChild(owner), dialog);
  EXPECT_EQ(windows.WindowText(windows.FirstChild(owner)), "Casino offer dialog");
  EXPECT_NE(windows.FirstChild(dialog), owner) << "a dialog does not own its owner";
}

TEST_F(X11WindowSystemTest, MinimisedWindowIsNotVisible) {
  Child child(Command(Toolkits()[0], "Minimised xterm"));
  WindowId window = Open(child, "Minimised xterm");
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(WaitFor([&] { return windows.IsVisible(window); }));
  Child minimise({"xdotool", "windowminimize", std::to_string(window)});
  EXPECT_TRUE(WaitFor([&] { return !windows.IsVisible(window); }, 5000));
  EXPECT_EQ(windows.WindowText(window), "Minimised xterm");
}

TEST_F(X11WindowSystemTest, VanishedWindowFindsNothingAndDoesNotEndTheProgram) {
  Child child(Command(Toolkits()[0], "Vanishing xterm"));
  WindowId window = Open(child, "Vanishing xterm");
  ASSERT_NE(window, 0u);
  WindowId inner = windows.FirstChild(window);
  child.Kill();
  ASSERT_NE(child.ExitCode(5000), -1);
  ASSERT_TRUE(WaitFor([&] { return Position(window) == -1; }, 5000));
  int errors = windows.ErrorCount();
  for (WindowId gone : {window, inner}) {
    EXPECT_EQ(windows.WindowText(gone), "");
    EXPECT_EQ(windows.ClassName(gone), "");
    EXPECT_FALSE(windows.IsVisible(gone));
    EXPECT_EQ(windows.FirstChild(gone), 0u);
    windows.PostClose(gone);
    windows.Activate(gone);
  }
  windows.DrainEvents();
  EXPECT_GT(windows.ErrorCount(), errors);
  EXPECT_EQ(windows.FindTopLevel("Vanishing xterm"), 0u);
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

int main(int argc, char** argv) {
  // The accessibility bus is reached through Qt's D-Bus module, which wants an application.
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
