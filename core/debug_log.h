#pragma once

#include <string_view>

#include "core/controls.h"
#include "platform/event_loop.h"

namespace quorlen {

// The debug log in the settings window's hidden debug area. It is off at every start and
// only the "Debug" button switches it on; newest lines are on top and the text is cut at
// 15000 characters, possibly inside a line.
class DebugLogArea {
 public:
  static constexpr size_t kMaxLength = 15000;

  DebugLogArea(EventLoop& loop, TextBox& txtStatus, CheckBox& chkDebug);

  // Lines beginning with "#" are detail lines, kept only while "Extra Debug" is ticked.
  void DebugLog(std::string_view message);
  // The "Debug" button: switches the log on and empties it.
  void cmdClear_Click();
  bool bDebugLog() const { return enabled_; }

 private:
  EventLoop& loop_;
  TextBox& txtStatus_;
  CheckBox& chkDebug_;
  bool enabled_ = false;
};

}  // namespace quorlen
