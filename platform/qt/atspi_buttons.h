#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>
#include <map>
#include <optional>
#include <vector>

#include "platform/accessible_buttons.h"

namespace quorlen {

// An object on the accessibility bus: the bus name of its application and its path.
struct AccessibleObject {
  QString service;
  QString path;
};

// Reads the accessibility tree of the desktop: applications, their windows and what is
// in them. Every call waits at most a quarter of a second.
class AtSpiTree {
 public:
  static constexpr int kCallTimeoutMs = 250;
  static const AccessibleObject kDesktop;

  explicit AtSpiTree(QDBusConnection& bus) : bus_(bus) {}

  QDBusMessage Call(const AccessibleObject& object, const char* interface, const char* method,
                    const QVariantList& arguments = {});
  std::vector<AccessibleObject> Children(const AccessibleObject& object);
  QString Name(const AccessibleObject& object);
  // The role in the bus's own words ("push button", "dialog").
  QString Role(const AccessibleObject& object);
  // The process of an application's bus name; 0 when unknown.
  int ProcessOf(const QString& service);
  // Runs the object's click action ("click" or "press", else its first action).
  void Click(const AccessibleObject& object);

  // The accessibility bus of this session, or nothing when the desktop has none.
  static std::optional<QDBusConnection> ConnectToBus();

 private:
  QDBusConnection& bus_;
};

// Buttons through the desktop accessibility bus (AT-SPI over D-Bus), spoken to with Qt's
// own D-Bus module: no second event loop or thread, and every call is synchronous with a
// short time-out, so an application that hangs cannot hold the program up for long.
// Without a session bus, or without the accessibility bus on it, nothing is found.
class AtSpiButtons : public AccessibleButtons {
 public:
  static constexpr int kMaxNodes = 400;  // accessible objects looked at per search
  static constexpr int kMaxDepth = 16;

  ButtonId Find(int pid, const std::string& windowTitle, const std::string& name) override;
  void Press(ButtonId button) override;

 private:
  // Connects to the accessibility bus the first time; false when there is none.
  bool Connect();
  // The first push button named `name` below `object`, depth first.
  std::optional<AccessibleObject> Button(AtSpiTree& tree, const AccessibleObject& object,
                                         const QString& name, int depth, int& visited);

  std::optional<QDBusConnection> bus_;
  bool triedToConnect_ = false;
  std::map<ButtonId, AccessibleObject> found_;
  ButtonId nextId_ = 1;
};

}  // namespace quorlen
