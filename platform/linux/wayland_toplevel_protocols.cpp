// The two window list protocols' events, turned into the window records of
// WaylandWindowSystem.
#include <wayland-client.h>

#include <cstring>
#include <string>
#include <vector>

#include "plasma-window-management-client-protocol.h"
#include "platform/linux/wayland_window_system.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace quorlen {

namespace {

using Toplevel = WaylandWindowSystem::Toplevel;

// One window of the wlroots protocol: its changes gather here until the compositor says
// they are complete.
struct WlrWindow {
  WaylandWindowSystem* owner;
  WindowId id;
  Toplevel pending;
};

WlrWindow* Of(zwlr_foreign_toplevel_handle_v1* handle) {
  return static_cast<WlrWindow*>(zwlr_foreign_toplevel_handle_v1_get_user_data(handle));
}

const zwlr_foreign_toplevel_handle_v1_listener kWlrWindowListener = {
    .title = [](void*, zwlr_foreign_toplevel_handle_v1* handle,
                const char* title) { Of(handle)->pending.title = title; },
    .app_id = [](void*, zwlr_foreign_toplevel_handle_v1* handle,
                 const char* appId) { Of(handle)->pending.appId = appId; },
    .output_enter = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    .output_leave = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
    .state =
        [](void*, zwlr_foreign_toplevel_handle_v1* handle, wl_array* states) {
          Toplevel& pending = Of(handle)->pending;
          pending.active = pending.minimized = false;
          const auto* state = static_cast<const std::uint32_t*>(states->data);
          for (size_t i = 0; i < states->size / sizeof *state; ++i) {
            if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) pending.active = true;
            if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED) {
              pending.minimized = true;
            }
          }
        },
    .done =
        [](void*, zwlr_foreign_toplevel_handle_v1* handle) {
          WlrWindow* window = Of(handle);
          window->owner->Apply(window->id, window->pending);
        },
    .closed =
        [](void*, zwlr_foreign_toplevel_handle_v1* handle) {
          WlrWindow* window = Of(handle);
          window->owner->Remove(window->id);
          zwlr_foreign_toplevel_handle_v1_destroy(handle);
          delete window;
        },
    .parent =
        [](void*, zwlr_foreign_toplevel_handle_v1* handle,
           zwlr_foreign_toplevel_handle_v1* parent) {
          WlrWindow* window = Of(handle);
          window->pending.parent = window->owner->IdOf(parent);
        },
};

const zwlr_foreign_toplevel_manager_v1_listener kWlrManagerListener = {
    .toplevel =
        [](void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
          auto* owner = static_cast<WaylandWindowSystem*>(data);
          auto* window = new WlrWindow{owner, owner->Add(handle), {}};
          window->pending.handle = handle;
          zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kWlrWindowListener, window);
        },
    .finished = [](void*, zwlr_foreign_toplevel_manager_v1*) {},
};

// One window of KDE Plasma's protocol, which sends each change on its own.
struct PlasmaWindow {
  WaylandWindowSystem* owner;
  WindowId id;
};

template <typename Edit>
void Change(org_kde_plasma_window* handle, Edit change) {
  auto* window = static_cast<PlasmaWindow*>(org_kde_plasma_window_get_user_data(handle));
  if (Toplevel* known = window->owner->Find(window->id)) {
    Toplevel state = *known;
    change(state, *window->owner);
    window->owner->Apply(window->id, state);
  }
}

void Unmapped(void*, org_kde_plasma_window* handle) {
  auto* window = static_cast<PlasmaWindow*>(org_kde_plasma_window_get_user_data(handle));
  window->owner->Remove(window->id);
  org_kde_plasma_window_destroy(handle);
  delete window;
}

void IgnoreString(void*, org_kde_plasma_window*, const char*) {}
void IgnoreEvent(void*, org_kde_plasma_window*) {}

const org_kde_plasma_window_listener kPlasmaWindowListener = {
    .title_changed =
        [](void*, org_kde_plasma_window* handle, const char* title) {
          Change(handle, [title](Toplevel& state, WaylandWindowSystem&) { state.title = title; });
        },
    .app_id_changed =
        [](void*, org_kde_plasma_window* handle, const char* appId) {
          Change(handle, [appId](Toplevel& state, WaylandWindowSystem&) { state.appId = appId; });
        },
    .state_changed =
        [](void*, org_kde_plasma_window* handle, std::uint32_t flags) {
          Change(handle, [flags](Toplevel& state, WaylandWindowSystem&) {
            state.active = flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE;
            state.minimized = flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED;
          });
        },
    .virtual_desktop_changed = [](void*, org_kde_plasma_window*, std::int32_t) {},
    .themed_icon_name_changed = IgnoreString,
    .unmapped = Unmapped,
    .initial_state = IgnoreEvent,
    .parent_window =
        [](void*, org_kde_plasma_window* handle, org_kde_plasma_window* parent) {
          Change(handle, [parent](Toplevel& state, WaylandWindowSystem& owner) {
            state.parent = owner.IdOf(parent);
          });
        },
    .geometry = [](void*, org_kde_plasma_window*, std::int32_t, std::int32_t, std::uint32_t,
                   std::uint32_t) {},
    .icon_changed = IgnoreEvent,
    .pid_changed =
        [](void*, org_kde_plasma_window* handle, std::uint32_t pid) {
          Change(handle, [pid](Toplevel& state, WaylandWindowSystem&) {
            state.pid = static_cast<int>(pid);
          });
        },
    .virtual_desktop_entered = IgnoreString,
    .virtual_desktop_left = IgnoreString,
    .application_menu = [](void*, org_kde_plasma_window*, const char*, const char*) {},
    .activity_entered = IgnoreString,
    .activity_left = IgnoreString,
    .resource_name_changed = IgnoreString,
};

void AddPlasmaWindow(WaylandWindowSystem* owner, org_kde_plasma_window* handle, const char* uuid) {
  auto* window = new PlasmaWindow{owner, owner->Add(handle)};
  if (Toplevel* known = owner->Find(window->id)) known->uuid = uuid;
  org_kde_plasma_window_add_listener(handle, &kPlasmaWindowListener, window);
}

const org_kde_plasma_window_management_listener kPlasmaManagerListener = {
    .show_desktop_changed = [](void*, org_kde_plasma_window_management*, std::uint32_t) {},
    .window =
        [](void* data, org_kde_plasma_window_management* manager, std::uint32_t id) {
          // Compositors that know windows by uuid announce them by uuid as well.
          if (org_kde_plasma_window_management_get_version(manager) >=
              ORG_KDE_PLASMA_WINDOW_MANAGEMENT_WINDOW_WITH_UUID_SINCE_VERSION) {
            return;
          }
          AddPlasmaWindow(static_cast<WaylandWindowSystem*>(data),
                          org_kde_plasma_window_management_get_window(manager, id), "");
        },
    .stacking_order_changed = [](void*, org_kde_plasma_window_management*, wl_array*) {},
    .stacking_order_uuid_changed =
        [](void* data, org_kde_plasma_window_management*, const char* uuids) {
          std::vector<std::string> order;
          std::string all = uuids;
          for (size_t from = 0; from <= all.size();) {
            size_t end = all.find(';', from);
            if (end == std::string::npos) end = all.size();
            if (end > from) order.push_back(all.substr(from, end - from));
            from = end + 1;
          }
          static_cast<WaylandWindowSystem*>(data)->SetStacking(order);
        },
    .window_with_uuid =
        [](void* data, org_kde_plasma_window_management* manager, std::uint32_t, const char* uuid) {
          AddPlasmaWindow(static_cast<WaylandWindowSystem*>(data),
                          org_kde_plasma_window_management_get_window_by_uuid(manager, uuid), uuid);
        },
};

}  // namespace

void ListenToWlrManager(zwlr_foreign_toplevel_manager_v1* manager, WaylandWindowSystem* owner) {
  zwlr_foreign_toplevel_manager_v1_add_listener(manager, &kWlrManagerListener, owner);
}

void ListenToPlasmaManager(org_kde_plasma_window_management* manager, WaylandWindowSystem* owner) {
  org_kde_plasma_window_management_add_listener(manager, &kPlasmaManagerListener, owner);
}

void ForgetWlrWindow(void* handle) {
  auto* wlr = static_cast<zwlr_foreign_toplevel_handle_v1*>(handle);
  delete Of(wlr);
  zwlr_foreign_toplevel_handle_v1_destroy(wlr);
}

void ForgetPlasmaWindow(void* handle) {
  auto* plasma = static_cast<org_kde_plasma_window*>(handle);
  delete static_cast<PlasmaWindow*>(org_kde_plasma_window_get_user_data(plasma));
  org_kde_plasma_window_destroy(plasma);
}

}  // namespace quorlen
