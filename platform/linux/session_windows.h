#pragma once

#include <memory>
#include <string>

#include "platform/accessible_buttons.h"
#include "platform/window_system.h"

namespace quorlen {

// A window system on a connection of the program's own, which the program's event loop
// reads whenever the display server has sent something.
class SessionWindowSystem : public WindowSystem {
 public:
  // The connection's socket, for the event loop to watch; -1 when not connected.
  virtual int ConnectionFd() const = 0;
  // Takes in what the server sent, without waiting. False once the connection is lost:
  // the socket is then no longer worth watching.
  virtual bool ReadEvents() = 0;
};

// The window system of the session the program runs in, chosen once at start. In a
// Wayland session the compositor's window list: wlroots compositors (sway, Hyprland,
// labwc, Wayfire) and KDE Plasma offer one; GNOME offers none, and then no windows are
// seen at all. An X11 client there would only see the few X11 windows, so X11 is used only
// when no Wayland compositor answers.
std::unique_ptr<SessionWindowSystem> OpenSessionWindowSystem(AccessibleButtons* buttons);

}  // namespace quorlen
