#pragma once

#include <array>
#include <bitset>
#include <vector>

#include "platform/input.h"

typedef struct _XDisplay Display;

namespace quorlen {

// The mouse buttons and keys of the X display, read each poll: the pointer's buttons
// (through XInput 2 where the server has it, so the side buttons count too) and the
// keymap for Shift, Ctrl, Alt and the few other keys the program shows. Without a
// display every key reads as up.
class X11InputState : public InputState {
 public:
  X11InputState();
  ~X11InputState() override;
  X11InputState(const X11InputState&) = delete;
  X11InputState& operator=(const X11InputState&) = delete;

  void Refresh() override;
  std::int16_t GetAsyncKeyState(int virtualKey) override;

 private:
  void ReadButtons();
  void ReadKeys();

  Display* display_ = nullptr;
  bool xinput2_ = false;
  int pointerDevice_ = 0;
  // The key codes that stand for each virtual key, from the display's keyboard mapping.
  std::array<std::vector<unsigned char>, virtual_key::kCodes> keyCodes_;
  std::bitset<virtual_key::kCodes> down_;
  PressMemory memory_;
};

}  // namespace quorlen
