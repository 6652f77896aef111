#include "platform/linux/session_windows.h"

#include <cstdlib>

#include "platform/linux/wayland_window_system.h"
#include "platform/linux/x11_window_system.h"

namespace quorlen {

namespace {

// A desktop that shows the program no windows: nothing is found, nothing closed.
class NoWindowSystem : public SessionWindowSystem {
 public:
  int ConnectionFd() const override { return -1; }
  bool ReadEvents() override { return false; }
  bool SeesWindows() override { return false; }
  WindowId ActiveWindow() override { return 0; }
  WindowId TopDialog(WindowId) override { return 0; }
  std::string WindowTitle(WindowId) override { return {}; }
  std::string AppId(WindowId) override { return {}; }
  bool IsVisible(WindowId) override { return false; }
  void RequestClose(WindowId) override {}
  WindowId FindByTitle(const std::string&) override { return 0; }
  std::vector<WindowId> TopLevelWindows() override { return {}; }
  ButtonId FindButton(WindowId, const std::string&) override { return 0; }
  void Activate(WindowId) override {}
  void PressButton(ButtonId) override {}
};

}  // namespace

std::unique_ptr<SessionWindowSystem> OpenSessionWindowSystem(AccessibleButtons* buttons) {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland && *wayland) {
    auto windows = std::make_unique<WaylandWindowSystem>(buttons);
    if (windows->Connected()) return windows;
  }
  auto x11 = std::make_unique<X11WindowSystem>(buttons);
  if (x11->Connected()) return x11;
  return std::make_unique<NoWindowSystem>();
}

}  // namespace quorlen
