#include "core/debug_log.h"

#include <string>

#include "core/text.h"

namespace quorlen {

DebugLogArea::DebugLogArea(EventLoop& loop, TextBox& txtStatus, CheckBox& chkDebug)
    : loop_(loop), txtStatus_(txtStatus), chkDebug_(chkDebug) {}

void DebugLogArea::DebugLog(std::string_view message) {
  if (!enabled_) return;
  if (!message.empty() && message.front() == '#' && !chkDebug_.Ticked()) return;
  LocalTime now = loop_.LocalNow();
  std::string text = std::to_string(now.minute) + ":" + std::to_string(now.second) + " - ";
  text.append(message);
  text.append(kCrLf);
  text.append(txtStatus_.Text());
  if (text.size() > kMaxLength) text.resize(kMaxLength);
  txtStatus_.SetText(std::move(text));
}

void DebugLogArea::cmdClear_Click() {
  enabled_ = true;
  txtStatus_.SetText("");
}

}  // namespace quorlen
