#pragma once

#include <QDBusConnection>
#include <QString>
#include <map>
#include <optional>

#include "platform/accessible_buttons.h"

namespace quorlen {

// Buttons through the desktop accessibility bus (AT-SPI over D-Bus), spoken to with Qt's
// own D-Bus module: no second event loop or thread, and every call is synchronous with a
// short time-out, so an application that hangs cannot hold the program up for long.
// Without a session bus, or without the accessibility bus on it, nothing is found.
class AtSpiButtons : public AccessibleButtons {
 public:
  static constexpr int kCallTimeoutMs = 250;
  static constexpr int kMaxNodes = 400;  // accessible objects looked at per search
  static constexpr int kMaxDepth = 16;

  ButtonId Find(int pid, const std::string& windowTitle, const std::string& name) override;
  void Press(ButtonId button) override;

 private:
  struct Object {
    QString service;
    QString path;
  };
  // Connects to the accessibility bus the first time; false when there is none.
  bool Connect();
  std::optional<QDBusConnection> bus_;
  bool triedToConnect_ = false;
  std::map<ButtonId, Object> found_;
  ButtonId nextId_ = 1;
  friend class AtSpiSearch;
};

}  // namespace quorlen
