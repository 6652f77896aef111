// Reads and drives a running program through the desktop accessibility bus, as assistive
// technology would, so that end-to-end tests can check texts drawn by the toolkit.
//   a11y_probe list <pid>                    every object: "<role>: <name>", one a line
//   a11y_probe click <pid> <role> <name>     clicks the first such object; exit 1 if none
//   a11y_probe enabled <pid> <role> <name>   exit 0 when the first such object is enabled
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <cstdio>
#include <functional>

#include "platform/qt/atspi_buttons.h"

using quorlen::AccessibleObject;
using quorlen::AtSpiTree;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  qDBusRegisterMetaType<QList<uint>>();  // the states of an object
  const QStringList args = QCoreApplication::arguments();
  if (args.size() < 3 || (args[1] != "list" && args.size() < 5)) {
    std::fprintf(stderr, "usage: a11y_probe list <pid> | click|enabled <pid> <role> <name>\n");
    return 2;
  }
  auto bus = AtSpiTree::ConnectToBus();
  if (!bus) {
    std::fprintf(stderr, "no accessibility bus\n");
    return 2;
  }
  AtSpiTree tree(*bus);
  const int pid = args[2].toInt();
  int visited = 0;
  std::optional<AccessibleObject> target;
  std::function<void(const AccessibleObject&)> walk = [&](const AccessibleObject& object) {
    for (const auto& child : tree.Children(object)) {
      if (++visited > 5000 || target) return;
      QString role = tree.Role(child);
      QString name = tree.Name(child);
      if (args[1] == "list") {
        std::printf("%s: %s\n", qPrintable(role), qPrintable(name));
      } else if (role == args[3] && name == args[4]) {
        target = child;
        return;
      }
      walk(child);
    }
  };
  for (const auto& application : tree.Children(AtSpiTree::kDesktop)) {
    if (tree.ProcessOf(application.service) == pid) walk(application);
  }
  if (args[1] == "list") return 0;
  if (!target) return 1;
  if (args[1] == "enabled") {
    // The object's states are a bit set in two 32-bit words; "enabled" is bit 8.
    constexpr unsigned kEnabled = 1u << 8;
    QDBusMessage reply = tree.Call(*target, "org.a11y.atspi.Accessible", "GetState");
    if (reply.arguments().isEmpty()) return 1;
    const auto words = qdbus_cast<QList<uint>>(reply.arguments().first());
    const unsigned first = words.isEmpty() ? 0 : words.first();
    return (first & kEnabled) ? 0 : 1;
  }
  tree.Click(*target);
  return 0;
}
