#pragma once

#include <string>
#include <vector>

#include "platform/tray.h"

namespace quorlen {

// A tray that records every request and can lose its icon, as when the task bar restarts.
class FakeTrayIcon : public TrayIcon {
 public:
  enum class Request { kAdd, kModify, kDelete };
  struct Call {
    Request request;
    TrayRecord record;
  };

  bool Add(const TrayRecord& record) override {
    calls.push_back({Request::kAdd, record});
    if (!available) return false;
    shown = record;
    if (present) return false;
    present = true;
    return true;
  }
  bool Modify(const TrayRecord& record) override {
    calls.push_back({Request::kModify, record});
    if (!present) return false;
    shown = record;
    return true;
  }
  bool Delete() override {
    calls.push_back({Request::kDelete, {}});
    bool was = present;
    present = false;
    return was;
  }
  bool Available() override { return available; }
  void ShowMessage(const std::string& title, const std::string& text, bool warning) override {
    messages.push_back({title, text, warning});
  }

  void Send(int message) {
    if (onMessage) onMessage(message);
  }
  // A notification area comes or goes, as when the desktop's panel starts or ends.
  void SetAvailable(bool now) {
    available = now;
    if (!now) present = false;
    if (onAvailabilityChanged) onAvailabilityChanged();
  }

  struct Message {
    std::string title, text;
    bool warning;
  };
  std::vector<Message> messages;
  std::vector<Call> calls;
  TrayRecord shown;
  bool present = false;
  bool available = true;
};

}  // namespace quorlen
