// Reads and drives a running program through the desktop accessibility bus, as assistive
// technology would, so that end-to-end tests can check texts drawn by the toolkit.
//   a11y_probe list <pid>                  every object: "<role>: <name>", one a line
//   a11y_probe click <pid> <role> <name>   clicks the first such object; exit 1 if none
#include <QCoreApplication>
#include <cstdio>
#include <functional>

#include "platform/qt/atspi_buttons.h"

using quorlen::AccessibleObject;
using quorlen::AtSpiTree;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() < 3 || (args[1] == "click" && args.size() < 5)) {
    std::fprintf(stderr, "usage: a11y_probe list <pid> | click <pid> <role> <name>\n");
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
  tree.Click(*target);
  return 0;
}
