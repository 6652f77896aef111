#pragma once

#include <string>

#include "platform/window_system.h"

namespace quorlen {

// Push buttons found through the desktop's accessibility bus. Applications on Linux draw
// their buttons themselves, so a button is not a window of its own: the bus is the only
// way to find one by its caption and press it.
class AccessibleButtons {
 public:
  virtual ~AccessibleButtons() = default;

  // A push button shown as `name` inside the top-level window titled `windowTitle` of
  // process `pid` (0 when the window did not tell its process); 0 when there is none or
  // the bus is not there. Texts are single-byte.
  virtual ButtonId Find(int pid, const std::string& windowTitle, const std::string& name) = 0;
  // Runs the button's click action.
  virtual void Press(ButtonId button) = 0;
};

}  // namespace quorlen
