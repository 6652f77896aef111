#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/accessible_buttons.h"
#include "platform/linux/session_windows.h"

struct _XDisplay;

namespace quorlen {

// The desktop's windows through Xlib and the window manager's EWMH conventions: the
// foreground window is the root's _NET_ACTIVE_WINDOW, titles come from _NET_WM_NAME (else
// WM_NAME), windows are closed by asking the window manager (_NET_CLOSE_WINDOW, else the
// window's own WM_DELETE_WINDOW), never by killing their client. Every call is a short
// synchronous request on the program's own thread; an X error (a window that went away
// between two calls) is swallowed and makes the call find nothing.
class X11WindowSystem : public SessionWindowSystem {
 public:
  // Connects to `display` (DISPLAY when null). `buttons` finds buttons by caption; null
  // finds none.
  explicit X11WindowSystem(AccessibleButtons* buttons = nullptr, const char* display = nullptr);
  ~X11WindowSystem() override;
  X11WindowSystem(const X11WindowSystem&) = delete;
  X11WindowSystem& operator=(const X11WindowSystem&) = delete;

  bool Connected() const { return display_ != nullptr; }
  int ConnectionFd() const override;
  // Reads and drops whatever the server sent; the program selects no events, so this only
  // keeps the connection's queue empty and lets late errors reach the error handler.
  bool ReadEvents() override;
  // X errors seen on this connection so far.
  int ErrorCount() const;

  WindowId ActiveWindow() override;
  WindowId TopDialog(WindowId parent) override;
  std::string WindowTitle(WindowId window) override;
  std::string AppId(WindowId window) override;
  bool IsVisible(WindowId window) override;
  void RequestClose(WindowId window) override;
  WindowId FindByTitle(const std::string& title) override;
  std::vector<WindowId> TopLevelWindows() override;
  ButtonId FindButton(WindowId window, const std::string& caption) override;
  void Activate(WindowId window) override;
  void PressButton(ButtonId button) override;

 private:
  // The 32-bit items of a window property of the given type; empty when it is missing.
  std::vector<unsigned long> Longs(WindowId window, unsigned long property, unsigned long type);
  // The bytes of a window property of the given type.
  std::string Bytes(WindowId window, unsigned long property, unsigned long type);
  bool HasAtom(WindowId window, unsigned long property, unsigned long atom);
  void SendToRoot(WindowId window, unsigned long messageType, long first, long second);

  _XDisplay* display_ = nullptr;
  AccessibleButtons* buttons_;
  unsigned long root_ = 0;
  struct Atoms {
    unsigned long activeWindow, wmName, utf8String, wmState, closeWindow, protocols, deleteWindow,
        clientList, clientListStacking, supported, pid;
  } atoms_{};
};

}  // namespace quorlen
