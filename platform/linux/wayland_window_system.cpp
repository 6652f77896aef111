#include "platform/linux/wayland_window_system.h"

#include <wayland-client.h>

#include <algorithm>

#include "core/text.h"
#include "plasma-window-management-client-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace quorlen {

namespace {

// The newest versions this program knows; a compositor offering more speaks these.
constexpr std::uint32_t kWlrVersion = 3;
constexpr std::uint32_t kPlasmaVersion = 16;

template <typename T>
void MoveToFront(std::vector<T>& items, const T& item) {
  items.erase(std::remove(items.begin(), items.end(), item), items.end());
  items.insert(items.begin(), item);
}

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  static_cast<WaylandWindowSystem*>(data)->Bind(registry, name, interface, version);
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

void ListenToWlrManager(zwlr_foreign_toplevel_manager_v1* manager, WaylandWindowSystem* owner);
void ListenToPlasmaManager(org_kde_plasma_window_management* manager, WaylandWindowSystem* owner);
void ForgetWlrWindow(void* handle);
void ForgetPlasmaWindow(void* handle);

WaylandWindowSystem::WaylandWindowSystem(AccessibleButtons* buttons, const char* display)
    : buttons_(buttons) {
  display_ = wl_display_connect(display);
  if (!display_) return;
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &kRegistryListener, this);
  // The globals; then the windows open now; then, on KDE Plasma, what each of them is.
  for (int round = 0; round < 3; ++round) wl_display_roundtrip(display_);
}

WaylandWindowSystem::~WaylandWindowSystem() {
  if (!display_) return;
  ForgetWindows();
  if (wlr_) zwlr_foreign_toplevel_manager_v1_destroy(wlr_);
  if (plasma_) org_kde_plasma_window_management_destroy(plasma_);
  if (seat_) wl_seat_destroy(seat_);
  if (registry_) wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
}

void WaylandWindowSystem::Bind(wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t version) {
  const std::string offered = interface;
  if (offered == wl_seat_interface.name && !seat_) {
    seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (offered == zwlr_foreign_toplevel_manager_v1_interface.name &&
             protocol_ == Protocol::kNone) {
    wlr_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface,
                         std::min(version, kWlrVersion)));
    protocol_ = Protocol::kWlrForeignToplevel;
    ListenToWlrManager(wlr_, this);
  } else if (offered == org_kde_plasma_window_management_interface.name &&
             protocol_ == Protocol::kNone) {
    plasma_ = static_cast<org_kde_plasma_window_management*>(
        wl_registry_bind(registry, name, &org_kde_plasma_window_management_interface,
                         std::min(version, kPlasmaVersion)));
    protocol_ = Protocol::kPlasmaWindowManagement;
    ListenToPlasmaManager(plasma_, this);
  }
}

int WaylandWindowSystem::ConnectionFd() const {
  return display_ ? wl_display_get_fd(display_) : -1;
}

bool WaylandWindowSystem::ReadEvents() {
  if (!display_) return false;
  bool read = true;
  while (read && wl_display_prepare_read(display_) != 0) {
    read = wl_display_dispatch_pending(display_) >= 0;
  }
  if (read) {
    wl_display_flush(display_);
    // libwayland reads without waiting: with nothing sent, this reads nothing.
    if (wl_display_read_events(display_) == 0) wl_display_dispatch_pending(display_);
  }
  if (wl_display_get_error(display_) == 0) return true;
  // The compositor is gone, and with it every window it told of.
  ForgetWindows();
  return false;
}

void WaylandWindowSystem::ForgetWindows() {
  for (auto& [id, window] : windows_) {
    if (protocol_ == Protocol::kWlrForeignToplevel) ForgetWlrWindow(window.handle);
    if (protocol_ == Protocol::kPlasmaWindowManagement) ForgetPlasmaWindow(window.handle);
  }
  windows_.clear();
  recent_.clear();
  stacking_.clear();
}

void WaylandWindowSystem::Flush() {
  if (display_) wl_display_flush(display_);
}

WindowId WaylandWindowSystem::Add(void* handle) {
  WindowId id = nextId_++;
  windows_[id].handle = handle;
  // A new window opens on top of the others.
  recent_.insert(recent_.begin(), id);
  return id;
}

WaylandWindowSystem::Toplevel* WaylandWindowSystem::Find(WindowId window) {
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

WindowId WaylandWindowSystem::IdOf(const void* handle) const {
  if (!handle) return 0;
  for (const auto& [id, window] : windows_) {
    if (window.handle == handle) return id;
  }
  return 0;
}

void WaylandWindowSystem::Apply(WindowId window, const Toplevel& state) {
  Toplevel* known = Find(window);
  if (!known) return;
  bool activated = state.active && !known->active;
  *known = state;
  if (activated) MoveToFront(recent_, window);
}

void WaylandWindowSystem::Remove(WindowId window) {
  windows_.erase(window);
  std::erase(recent_, window);
  std::erase(stacking_, window);
  for (auto& [id, other] : windows_) {
    if (other.parent == window) other.parent = 0;
  }
}

void WaylandWindowSystem::SetStacking(const std::vector<std::string>& uuidsBottomFirst) {
  stacking_.clear();
  for (auto uuid = uuidsBottomFirst.rbegin(); uuid != uuidsBottomFirst.rend(); ++uuid) {
    for (const auto& [id, window] : windows_) {
      if (window.uuid == *uuid) stacking_.push_back(id);
    }
  }
}

WindowId WaylandWindowSystem::ActiveWindow() {
  // While one window hands the activation to another, both may say they are active for a
  // moment: the one activated last is the user's.
  for (WindowId id : recent_) {
    if (windows_.at(id).active) return id;
  }
  return 0;
}

WindowId WaylandWindowSystem::TopDialog(WindowId parent) {
  if (parent == 0) return 0;
  WindowId newest = 0;
  for (const auto& [id, window] : windows_) {
    if (window.parent == parent) newest = std::max(newest, id);
  }
  return newest;
}

std::string WaylandWindowSystem::WindowTitle(WindowId window) {
  const Toplevel* known = Find(window);
  return known ? Utf8ToSingleByte(known->title) : std::string();
}

std::string WaylandWindowSystem::AppId(WindowId window) {
  const Toplevel* known = Find(window);
  return known ? Utf8ToSingleByte(known->appId) : std::string();
}

bool WaylandWindowSystem::IsVisible(WindowId window) { return Find(window) != nullptr; }

void WaylandWindowSystem::RequestClose(WindowId window) {
  const Toplevel* known = Find(window);
  if (!known) return;
  if (protocol_ == Protocol::kWlrForeignToplevel) {
    zwlr_foreign_toplevel_handle_v1_close(
        static_cast<zwlr_foreign_toplevel_handle_v1*>(known->handle));
  } else if (protocol_ == Protocol::kPlasmaWindowManagement) {
    org_kde_plasma_window_close(static_cast<org_kde_plasma_window*>(known->handle));
  }
  Flush();
}

WindowId WaylandWindowSystem::FindByTitle(const std::string& title) {
  for (WindowId window : TopLevelWindows()) {
    if (WindowTitle(window) == title) return window;
  }
  return 0;
}

std::vector<WindowId> WaylandWindowSystem::TopLevelWindows() {
  std::vector<WindowId> windows = stacking_;
  for (WindowId id : recent_) {
    if (std::find(windows.begin(), windows.end(), id) == windows.end()) windows.push_back(id);
  }
  return windows;
}

ButtonId WaylandWindowSystem::FindButton(WindowId window, const std::string& caption) {
  const Toplevel* known = Find(window);
  if (!buttons_ || !known) return 0;
  // The "&" marks the access key; the caption shown has none.
  return buttons_->Find(known->pid, WindowTitle(window), ReplaceAll(caption, "&", ""));
}

void WaylandWindowSystem::Activate(WindowId window) {
  const Toplevel* known = Find(window);
  if (!known) return;
  if (protocol_ == Protocol::kWlrForeignToplevel && seat_) {
    zwlr_foreign_toplevel_handle_v1_activate(
        static_cast<zwlr_foreign_toplevel_handle_v1*>(known->handle), seat_);
  } else if (protocol_ == Protocol::kPlasmaWindowManagement) {
    org_kde_plasma_window_set_state(static_cast<org_kde_plasma_window*>(known->handle),
                                    ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE,
                                    ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE);
  }
  Flush();
}

void WaylandWindowSystem::PressButton(ButtonId button) {
  if (buttons_ && button != 0) buttons_->Press(button);
}

}  // namespace quorlen
