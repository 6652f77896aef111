#pragma once

#include <bitset>
#include <cstdint>

namespace quorlen {

// The Windows virtual-key codes of the buttons and keys the popup blocker watches.
namespace virtual_key {
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kCancel = 3;
inline constexpr int kMiddleButton = 4;
inline constexpr int kX1Button = 5;
inline constexpr int kX2Button = 6;
inline constexpr int kBack = 8;
inline constexpr int kTab = 9;
inline constexpr int kClear = 12;
inline constexpr int kReturn = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kAlt = 18;
inline constexpr int kCodes = 256;
}  // namespace virtual_key

// The state of the mouse buttons and keys, system-wide, read by polling.
class InputState {
 public:
  // Bit 15: the key is down. Bit 0: it went down since the previous query of that key.
  static constexpr std::int16_t kDown = static_cast<std::int16_t>(0x8000);
  static constexpr std::int16_t kDownAndPressed = static_cast<std::int16_t>(0x8001);

  virtual ~InputState() = default;
  // Reads every button and key once; the queries that follow answer from this reading.
  virtual void Refresh() = 0;
  // One key's state in the shape of the Windows call: kDownAndPressed, kDown or 0. A key
  // that cannot be read reads as up.
  virtual std::int16_t GetAsyncKeyState(int virtualKey) = 0;
};

// What a page of a joined browser saw the user do, as the browser tells it: a mouse button
// going down or making a double click, with the modifier keys held at that moment, or
// Shift, Ctrl or Alt going down. A key's repeats while it is held, and events a page's own
// script makes, are never told.
struct PageInput {
  enum class Kind { kButtonDown, kDoubleClick, kKeyDown };
  Kind kind = Kind::kButtonDown;
  // A button (kLeftButton, kRightButton, kMiddleButton) or, for kKeyDown, the key
  // (kShift, kControl, kAlt).
  int virtualKey = 0;
  bool shift = false;
  bool control = false;
  bool alt = false;
  // How long before it was told the page saw it: a busy browser tells of presses late.
  int msAgo = 0;
};

// Turns "down now" readings into the answers of GetAsyncKeyState: a key that is down
// and was not down at its previous query has been pressed since then. A press that
// starts and ends between two queries is not seen.
class PressMemory {
 public:
  std::int16_t Answer(int virtualKey, bool down) {
    if (virtualKey < 0 || virtualKey >= virtual_key::kCodes) return 0;
    auto key = static_cast<size_t>(virtualKey);
    bool wasDown = downAtLastQuery_[key];
    downAtLastQuery_[key] = down;
    if (!down) return 0;
    return wasDown ? InputState::kDown : InputState::kDownAndPressed;
  }

 private:
  std::bitset<virtual_key::kCodes> downAtLastQuery_;
};

}  // namespace quorlen
