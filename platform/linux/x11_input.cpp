#include "platform/linux/x11_input.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

namespace quorlen {

namespace {

struct KeyOfVirtualKey {
  int virtualKey;
  KeySym symbol;
};

// The keyboard keys among the codes the program polls; the buttons come from the pointer.
constexpr KeyOfVirtualKey kKeys[] = {
    {virtual_key::kCancel, XK_Break},
    {virtual_key::kBack, XK_BackSpace},
    {virtual_key::kTab, XK_Tab},
    {virtual_key::kClear, XK_Clear},
    {virtual_key::kReturn, XK_Return},
    {virtual_key::kReturn, XK_KP_Enter},
    {virtual_key::kShift, XK_Shift_L},
    {virtual_key::kShift, XK_Shift_R},
    {virtual_key::kControl, XK_Control_L},
    {virtual_key::kControl, XK_Control_R},
    {virtual_key::kAlt, XK_Alt_L},
    {virtual_key::kAlt, XK_Alt_R},
    {virtual_key::kAlt, XK_ISO_Level3_Shift},
};

bool ButtonInMask(const unsigned char* mask, int length, int button) {
  return button / 8 < length && (mask[button / 8] & (1 << (button % 8))) != 0;
}

}  // namespace

X11InputState::X11InputState() {
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) return;
  for (const auto& key : kKeys) {
    KeyCode code = XKeysymToKeycode(display_, key.symbol);
    if (code != 0) keyCodes_[static_cast<size_t>(key.virtualKey)].push_back(code);
  }
  int opcode = 0, event = 0, error = 0;
  if (XQueryExtension(display_, "XInputExtension", &opcode, &event, &error)) {
    int major = 2, minor = 0;
    if (XIQueryVersion(display_, &major, &minor) == Success &&
        XIGetClientPointer(display_, None, &pointerDevice_)) {
      xinput2_ = true;
    }
  }
}

X11InputState::~X11InputState() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

void X11InputState::ReadButtons() {
  ::Window root = DefaultRootWindow(display_);
  ::Window rootReturn = 0, child = 0;
  bool left = false, middle = false, right = false, back = false, forward = false;
  if (xinput2_) {
    double rootX, rootY, windowX, windowY;
    XIButtonState buttons{};
    XIModifierState modifiers{};
    XIGroupState group{};
    if (XIQueryPointer(display_, pointerDevice_, root, &rootReturn, &child, &rootX, &rootY,
                       &windowX, &windowY, &buttons, &modifiers, &group)) {
      left = ButtonInMask(buttons.mask, buttons.mask_len, 1);
      middle = ButtonInMask(buttons.mask, buttons.mask_len, 2);
      right = ButtonInMask(buttons.mask, buttons.mask_len, 3);
      back = ButtonInMask(buttons.mask, buttons.mask_len, 8);
      forward = ButtonInMask(buttons.mask, buttons.mask_len, 9);
    }
    XFree(buttons.mask);
  } else {
    int rootX, rootY, windowX, windowY;
    unsigned int mask = 0;
    if (XQueryPointer(display_, root, &rootReturn, &child, &rootX, &rootY, &windowX, &windowY,
                      &mask)) {
      left = (mask & Button1Mask) != 0;
      middle = (mask & Button2Mask) != 0;
      right = (mask & Button3Mask) != 0;
    }
  }
  down_[virtual_key::kLeftButton] = left;
  down_[virtual_key::kRightButton] = right;
  down_[virtual_key::kMiddleButton] = middle;
  down_[virtual_key::kX1Button] = back;
  down_[virtual_key::kX2Button] = forward;
}

void X11InputState::ReadKeys() {
  char keymap[32] = {};
  XQueryKeymap(display_, keymap);
  for (int key = 0; key < virtual_key::kCodes; ++key) {
    const auto& codes = keyCodes_[static_cast<size_t>(key)];
    if (codes.empty()) continue;
    bool down = false;
    for (unsigned char code : codes) down = down || (keymap[code / 8] & (1 << (code % 8))) != 0;
    down_[static_cast<size_t>(key)] = down;
  }
}

void X11InputState::Refresh() {
  if (display_ == nullptr) return;
  ReadButtons();
  ReadKeys();
}

std::int16_t X11InputState::GetAsyncKeyState(int virtualKey) {
  bool down =
      virtualKey >= 0 && virtualKey < virtual_key::kCodes && down_[static_cast<size_t>(virtualKey)];
  return memory_.Answer(virtualKey, down);
}

}  // namespace quorlen
