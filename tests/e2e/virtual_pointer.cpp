// A mouse for a Wayland session without input devices: a virtual pointer (wlroots'
// protocol, which sway offers) for the whole session, so every client holds a pointer before
// the first click. Lines from the pipe: move <x> <y>, press|release 1, wait <ms>.
//   virtual_pointer <width> <height> <pipe>
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
  wl_seat* seat = nullptr;
  zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto* globals = static_cast<Globals*>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat) {
    globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    globals->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}

void GlobalRemoved(void*, wl_registry*, uint32_t) {}

// Events carry the time they happen, as a real device's do: toolkits tell a double click
// from two clicks by it.
uint32_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: virtual_pointer <width> <height> <pipe>\n");
    return 2;
  }
  const uint32_t width = static_cast<uint32_t>(std::atoi(argv[1]));
  const uint32_t height = static_cast<uint32_t>(std::atoi(argv[2]));
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "virtual_pointer: no Wayland display\n");
    return 1;
  }
  Globals globals;
  static const wl_registry_listener listener{Global, GlobalRemoved};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &globals);
  wl_display_roundtrip(display);
  if (!globals.manager) {
    std::fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointer\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
  wl_display_roundtrip(display);
  // Open for writing too, so that it never meets a writer's end: nothing written as one leaves
  // is lost.
  std::FILE* pipe = std::fopen(argv[3], "r+");
  if (!pipe) return 1;
  char line[256];
  while (std::fgets(line, sizeof line, pipe)) {
    std::istringstream words(line);
    std::string command;
    uint32_t x = 0, y = 0;
    words >> command;
    const uint32_t time = NowMs();
    std::fprintf(stderr, "%u %s", time, line);  // what was done when, for the test's record
    if (command == "move" && words >> x >> y) {
      zwlr_virtual_pointer_v1_motion_absolute(pointer, time, x, y, width, height);
    } else if (command == "press" || command == "release") {
      zwlr_virtual_pointer_v1_button(
          pointer, time, BTN_LEFT,
          command == "press" ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    } else if (command == "wait" && words >> x) {
      usleep(x * 1000);
      continue;
    } else {
      continue;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
  }
  return 0;
}
