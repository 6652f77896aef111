#include "platform/linux/x11_window_system.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <atomic>

#include "core/text.h"

namespace quorlen {

namespace {

std::atomic<int> errorCount{0};

// Xlib's own handler ends the process on any error. A window may go away between two
// requests at any moment, so an error only means "not found" here.
int IgnoreError(Display*, XErrorEvent*) {
  ++errorCount;
  return 0;
}

constexpr long kMaxPropertyLongs = 1 << 16;  // 256 KB: far above any title or list
constexpr long kSourcePager = 2;             // EWMH: the request comes from a desktop tool

Window Id(WindowId window) { return static_cast<Window>(window); }

}  // namespace

X11WindowSystem::X11WindowSystem(AccessibleButtons* buttons, const char* display)
    : buttons_(buttons) {
  XSetErrorHandler(IgnoreError);
  display_ = XOpenDisplay(display);
  if (!display_) return;
  root_ = DefaultRootWindow(display_);
  auto atom = [this](const char* name) { return XInternAtom(display_, name, False); };
  atoms_ = {
      atom("_NET_ACTIVE_WINDOW"), atom("_NET_WM_NAME"),      atom("UTF8_STRING"),
      atom("WM_STATE"),           atom("_NET_CLOSE_WINDOW"), atom("WM_PROTOCOLS"),
      atom("WM_DELETE_WINDOW"),   atom("_NET_CLIENT_LIST"),  atom("_NET_CLIENT_LIST_STACKING"),
      atom("_NET_SUPPORTED"),     atom("_NET_WM_PID")};
}

X11WindowSystem::~X11WindowSystem() {
  if (display_) XCloseDisplay(display_);
}

int X11WindowSystem::ConnectionFd() const { return display_ ? ConnectionNumber(display_) : -1; }

bool X11WindowSystem::ReadEvents() {
  if (!display_) return false;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
  }
  return true;
}

int X11WindowSystem::ErrorCount() const { return errorCount.load(); }

namespace {

// Hands `use` the items of a window's property when it has the type and item size asked
// for; a window gone meanwhile or a property of another kind hands nothing.
template <typename Use>
void ReadProperty(Display* display, Window window, Atom property, Atom type, int format, Use use) {
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, property, 0, kMaxPropertyLongs, False, type, &actualType,
                         &actualFormat, &count, &after, &data) == Success &&
      data && actualType == type && actualFormat == format) {
    use(data, count);
  }
  if (data) XFree(data);
}

}  // namespace

std::vector<unsigned long> X11WindowSystem::Longs(WindowId window, unsigned long property,
                                                  unsigned long type) {
  std::vector<unsigned long> values;
  if (!display_ || window == 0) return values;
  ReadProperty(display_, Id(window), property, type, 32,
               [&values](unsigned char* data, unsigned long count) {
                 // Xlib hands 32-bit items over as longs, whatever the size of a long.
                 auto* items = reinterpret_cast<unsigned long*>(data);
                 values.assign(items, items + count);
               });
  return values;
}

std::string X11WindowSystem::Bytes(WindowId window, unsigned long property, unsigned long type) {
  std::string bytes;
  if (!display_ || window == 0) return bytes;
  ReadProperty(display_, Id(window), property, type, 8,
               [&bytes](unsigned char* data, unsigned long count) {
                 bytes.assign(reinterpret_cast<char*>(data), count);
               });
  return bytes;
}

bool X11WindowSystem::HasAtom(WindowId window, unsigned long property, unsigned long atom) {
  auto atoms = Longs(window, property, XA_ATOM);
  return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
}

WindowId X11WindowSystem::ActiveWindow() {
  auto active = Longs(root_, atoms_.activeWindow, XA_WINDOW);
  return active.empty() ? 0 : active.front();
}

WindowId X11WindowSystem::TopDialog(WindowId parent) {
  if (!display_ || parent == 0) return 0;
  // A window's titled sub-windows on X11 are its dialogs: top-level windows that name it
  // in WM_TRANSIENT_FOR. The top-most of them stands first. Its X children carry no title.
  for (WindowId window : TopLevelWindows()) {
    Window owner = 0;
    if (window != parent && XGetTransientForHint(display_, Id(window), &owner) &&
        owner == Id(parent)) {
      return window;
    }
  }
  Window rootReturn = 0, parentReturn = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  WindowId first = 0;
  // Children come bottom first: the top of the stacking order is the last one.
  if (XQueryTree(display_, Id(parent), &rootReturn, &parentReturn, &children, &count) &&
      count > 0) {
    first = children[count - 1];
  }
  if (children) XFree(children);
  return first;
}

std::string X11WindowSystem::WindowTitle(WindowId window) {
  if (!display_ || window == 0) return {};
  std::string utf8 = Bytes(window, atoms_.wmName, atoms_.utf8String);
  if (!utf8.empty()) return Utf8ToSingleByte(utf8);
  XTextProperty property{};
  std::string text;
  if (!XGetWMName(display_, Id(window), &property) || !property.value) return text;
  if (property.encoding == XA_STRING) {
    // Latin-1, which the single-byte code page shares above 0x9F.
    text.assign(reinterpret_cast<char*>(property.value), property.nitems);
  } else if (property.encoding == atoms_.utf8String) {
    text = Utf8ToSingleByte(
        std::string_view(reinterpret_cast<char*>(property.value), property.nitems));
  } else {
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(display_, &property, &list, &count) >= Success && list) {
      if (count > 0 && list[0]) text = Utf8ToSingleByte(list[0]);
      XFreeStringList(list);
    }
  }
  XFree(property.value);
  return text;
}

std::string X11WindowSystem::AppId(WindowId window) {
  if (!display_ || window == 0) return {};
  XClassHint hint{};
  std::string name;
  if (XGetClassHint(display_, Id(window), &hint)) {
    if (hint.res_class) name = hint.res_class;
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
  }
  return name;
}

bool X11WindowSystem::IsVisible(WindowId window) {
  if (!display_ || window == 0) return false;
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display_, Id(window), &attributes)) return false;
  if (attributes.map_state == IsViewable) return true;
  // A minimised window is unmapped but still the user's: the window manager keeps it in
  // the iconic state, where a window its application hid has none.
  auto state = Longs(window, atoms_.wmState, atoms_.wmState);
  return !state.empty() && state.front() == IconicState;
}

void X11WindowSystem::SendToRoot(WindowId window, unsigned long messageType, long first,
                                 long second) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = Id(window);
  event.xclient.message_type = messageType;
  event.xclient.format = 32;
  event.xclient.data.l[0] = first;
  event.xclient.data.l[1] = second;
  XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void X11WindowSystem::RequestClose(WindowId window) {
  if (!display_ || window == 0) return;
  auto clients = Longs(root_, atoms_.clientList, XA_WINDOW);
  bool managed = std::find(clients.begin(), clients.end(), window) != clients.end();
  if (managed && HasAtom(root_, atoms_.supported, atoms_.closeWindow)) {
    // What the window manager's close button does: the application may ask to save.
    SendToRoot(window, atoms_.closeWindow, CurrentTime, kSourcePager);
  } else if (HasAtom(window, atoms_.protocols, atoms_.deleteWindow)) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Id(window);
    event.xclient.message_type = atoms_.protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(atoms_.deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, Id(window), False, NoEventMask, &event);
  }
  // A window that takes neither request stays, as one that ignores its close message.
  XFlush(display_);
}

std::vector<WindowId> X11WindowSystem::TopLevelWindows() {
  std::vector<WindowId> windows;
  if (!display_) return windows;
  auto stacking = Longs(root_, atoms_.clientListStacking, XA_WINDOW);
  if (stacking.empty()) {
    // No window manager keeps a list: the root's children are the top-level windows.
    Window rootReturn = 0, parentReturn = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, root_, &rootReturn, &parentReturn, &children, &count)) {
      stacking.assign(children, children + count);
    }
    if (children) XFree(children);
  }
  // Bottom first on the wire; the top-most first here.
  windows.assign(stacking.rbegin(), stacking.rend());
  return windows;
}

WindowId X11WindowSystem::FindByTitle(const std::string& title) {
  for (WindowId window : TopLevelWindows()) {
    if (WindowTitle(window) == title) return window;
  }
  return 0;
}

ButtonId X11WindowSystem::FindButton(WindowId window, const std::string& caption) {
  if (!buttons_ || window == 0) return 0;
  auto pid = Longs(window, atoms_.pid, XA_CARDINAL);
  // The "&" marks the access key; the caption shown has none.
  std::string name = ReplaceAll(caption, "&", "");
  return buttons_->Find(pid.empty() ? 0 : static_cast<int>(pid.front()), WindowTitle(window), name);
}

void X11WindowSystem::Activate(WindowId window) {
  if (!display_ || window == 0) return;
  SendToRoot(window, atoms_.activeWindow, kSourcePager, CurrentTime);
  XFlush(display_);
}

void X11WindowSystem::PressButton(ButtonId button) {
  if (buttons_ && button != 0) buttons_->Press(button);
}

}  // namespace quorlen
