#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorlen {

// A window of the desktop; 0 stands for none.
using WindowId = std::uint64_t;
// A push button found inside a window; 0 stands for none. Valid until the next search.
using ButtonId = std::uint64_t;

// The desktop's windows as the title watcher and the popup titles editor see them. Texts
// are the program's single-byte text. A window that has gone away between two calls is
// simply not found: its text and class are empty, it is not visible, and closing or
// pressing it does nothing.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // The window the user is working in.
  virtual WindowId ActiveWindow() = 0;
  // The window's first child: the top-most of its dialogs (windows it owns), else the
  // top one of its children's stacking order.
  virtual WindowId TopDialog(WindowId parent) = 0;
  // The window's title, whole; callers cut it to what they read.
  virtual std::string WindowTitle(WindowId window) = 0;
  // The application the window belongs to: its WM_CLASS on X11, its app_id on Wayland.
  virtual std::string AppId(WindowId window) = 0;
  // Shown on the screen or minimised; not a window its application has hidden.
  virtual bool IsVisible(WindowId window) = 0;
  // Asks the window to close, as its close box would; does not wait for it.
  virtual void RequestClose(WindowId window) = 0;

  // A top-level window whose title is exactly `title`.
  virtual WindowId FindByTitle(const std::string& title) = 0;
  // Every top-level window, the top-most first.
  virtual std::vector<WindowId> TopLevelWindows() = 0;

  // A push button inside the window whose caption is `caption` ("&No": the "&" marks the
  // access key and is not part of the shown text).
  virtual ButtonId FindButton(WindowId window, const std::string& caption) = 0;
  virtual void Activate(WindowId window) = 0;
  // Presses the button as a click would; returns once the press was delivered.
  virtual void PressButton(ButtonId button) = 0;

  // False where the desktop lets no program see or close the windows of others (GNOME on
  // Wayland): every call then finds nothing and closes nothing.
  virtual bool SeesWindows() { return true; }
};

}  // namespace quorlen
