#pragma once

#include <bitset>

#include "platform/input.h"

namespace quorlen {

// Buttons and keys a test presses and releases; the program polls them as it polls the
// real ones.
class FakeInput : public InputState {
 public:
  void Press(int virtualKey) { down_[static_cast<size_t>(virtualKey)] = true; }
  void Release(int virtualKey) { down_[static_cast<size_t>(virtualKey)] = false; }

  void Refresh() override { ++refreshes; }
  std::int16_t GetAsyncKeyState(int virtualKey) override {
    ++queries;
    bool down = virtualKey >= 0 && virtualKey < virtual_key::kCodes &&
                down_[static_cast<size_t>(virtualKey)];
    return memory_.Answer(virtualKey, down);
  }

  int refreshes = 0;
  int queries = 0;

 private:
  std::bitset<virtual_key::kCodes> down_;
  PressMemory memory_;
};

}  // namespace quorlen
