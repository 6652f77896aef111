#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/accessible_buttons.h"
#include "platform/linux/session_windows.h"

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwlr_foreign_toplevel_manager_v1;
struct org_kde_plasma_window_management;

namespace quorlen {

// The desktop's windows as a Wayland compositor lists them to task bars: through
// `zwlr_foreign_toplevel_manager_v1` on wlroots compositors, through
// `org_kde_plasma_window_management` on KDE Plasma (which offers it only to programs whose
// desktop entry asks for it). The compositor tells of every window and each change of it;
// the program keeps what it was told and answers from that, so no question waits on the
// compositor. The foreground window is the activated one; a close is the compositor's
// request to the window to close, as its close box would send.
class WaylandWindowSystem : public SessionWindowSystem {
 public:
  enum class Protocol { kNone, kWlrForeignToplevel, kPlasmaWindowManagement };

  // Connects to `display` (WAYLAND_DISPLAY when null) and takes in the windows open now.
  // `buttons` finds buttons by caption; null finds none.
  explicit WaylandWindowSystem(AccessibleButtons* buttons = nullptr, const char* display = nullptr);
  ~WaylandWindowSystem() override;
  WaylandWindowSystem(const WaylandWindowSystem&) = delete;
  WaylandWindowSystem& operator=(const WaylandWindowSystem&) = delete;

  bool Connected() const { return display_ != nullptr; }
  // The window list protocol the compositor offers; kNone when it offers neither.
  Protocol Spoken() const { return protocol_; }

  int ConnectionFd() const override;
  bool ReadEvents() override;
  bool SeesWindows() override { return protocol_ != Protocol::kNone; }

  WindowId ActiveWindow() override;
  // The newest window that names this one its parent (a dialog of it).
  WindowId TopDialog(WindowId parent) override;
  std::string WindowTitle(WindowId window) override;
  // The application's id ("org.gnome.Zenity", "firefox"): what stands for a class here.
  std::string AppId(WindowId window) override;
  bool IsVisible(WindowId window) override;
  void RequestClose(WindowId window) override;
  WindowId FindByTitle(const std::string& title) override;
  // The compositor's stacking order where it tells one (KDE Plasma); else the windows in
  // the order they were last activated or opened, the latest first.
  std::vector<WindowId> TopLevelWindows() override;
  ButtonId FindButton(WindowId window, const std::string& caption) override;
  void Activate(WindowId window) override;
  void PressButton(ButtonId button) override;

  // What the compositor's events fill in; public for its listeners only.
  struct Toplevel {
    void* handle = nullptr;  // the protocol's object for this window
    std::string title;       // UTF-8, as sent
    std::string appId;
    std::string uuid;  // KDE Plasma's name for the window
    bool active = false;
    bool minimized = false;
    WindowId parent = 0;
    int pid = 0;
  };
  WindowId Add(void* handle);
  Toplevel* Find(WindowId window);
  WindowId IdOf(const void* handle) const;
  // The window's state as a whole, applied when the compositor says a change is complete.
  void Apply(WindowId window, const Toplevel& state);
  void Remove(WindowId window);
  void SetStacking(const std::vector<std::string>& uuidsBottomFirst);
  void Bind(wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t version);

 private:
  // Sends the requests made so far; the compositor reads nothing that stays buffered.
  void Flush();
  // Lets go of every window record and the protocol's object for it.
  void ForgetWindows();

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  zwlr_foreign_toplevel_manager_v1* wlr_ = nullptr;
  org_kde_plasma_window_management* plasma_ = nullptr;
  Protocol protocol_ = Protocol::kNone;
  AccessibleButtons* buttons_;
  std::map<WindowId, Toplevel> windows_;
  std::vector<WindowId> recent_;    // last activated or opened first
  std::vector<WindowId> stacking_;  // top first, when the compositor tells it
  WindowId nextId_ = 1;
};

}  // namespace quorlen
