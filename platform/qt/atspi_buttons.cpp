#include "platform/qt/atspi_buttons.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>

#include "platform/qt/text_codec.h"

namespace quorlen {

namespace {

constexpr const char* kAccessible = "org.a11y.atspi.Accessible";
constexpr const char* kAction = "org.a11y.atspi.Action";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

QVariant First(const QDBusMessage& reply) {
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
  return reply.arguments().first();
}

// Objects whose children are content, not a window's buttons: a search does not go into
// them, which keeps it short on large windows.
bool HoldsContent(const QString& role) {
  static const QStringList content = {
      "table",        "tree table", "tree", "list",     "list box", "text",        "document frame",
      "document web", "menu bar",   "menu", "terminal", "canvas",   "drawing area"};
  return content.contains(role);
}

}  // namespace

const AccessibleObject AtSpiTree::kDesktop{"org.a11y.atspi.Registry",
                                           "/org/a11y/atspi/accessible/root"};

QDBusMessage AtSpiTree::Call(const AccessibleObject& object, const char* interface,
                             const char* method, const QVariantList& arguments) {
  auto message = QDBusMessage::createMethodCall(object.service, object.path, interface, method);
  message.setArguments(arguments);
  return bus_.call(message, QDBus::Block, kCallTimeoutMs);
}

std::vector<AccessibleObject> AtSpiTree::Children(const AccessibleObject& object) {
  std::vector<AccessibleObject> children;
  QVariant value = First(Call(object, kAccessible, "GetChildren"));
  if (!value.canConvert<QDBusArgument>()) return children;
  const auto argument = value.value<QDBusArgument>();
  argument.beginArray();
  while (!argument.atEnd()) {
    QString service;
    QDBusObjectPath path;
    argument.beginStructure();
    argument >> service >> path;
    argument.endStructure();
    children.push_back({service, path.path()});
  }
  argument.endArray();
  return children;
}

QString AtSpiTree::Name(const AccessibleObject& object) {
  QVariant value = First(Call(object, kProperties, "Get", {QString(kAccessible), QString("Name")}));
  return value.value<QDBusVariant>().variant().toString();
}

QString AtSpiTree::Role(const AccessibleObject& object) {
  return First(Call(object, kAccessible, "GetRoleName")).toString();
}

int AtSpiTree::ProcessOf(const QString& service) {
  AccessibleObject bus{"org.freedesktop.DBus", "/org/freedesktop/DBus"};
  return static_cast<int>(
      First(Call(bus, "org.freedesktop.DBus", "GetConnectionUnixProcessID", {service})).toUInt());
}

void AtSpiTree::Click(const AccessibleObject& object) {
  int count = First(Call(object, kAction, "GetNActions")).toInt();
  if (count <= 0) {
    QVariant value =
        First(Call(object, kProperties, "Get", {QString(kAction), QString("NActions")}));
    count = value.value<QDBusVariant>().variant().toInt();
  }
  // Toolkits name the action "click" or "press"; the first action is the button's own.
  int chosen = 0;
  for (int i = 0; i < count; ++i) {
    QString action = First(Call(object, kAction, "GetName", {i})).toString().toLower();
    if (action == "click" || action == "press") {
      chosen = i;
      break;
    }
  }
  Call(object, kAction, "DoAction", {chosen});
}

std::optional<QDBusConnection> AtSpiTree::ConnectToBus() {
  QDBusConnection session = QDBusConnection::sessionBus();
  if (!session.isConnected()) return std::nullopt;
  auto ask =
      QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress");
  QString address = First(session.call(ask, QDBus::Block, 2000)).toString();
  if (address.isEmpty()) return std::nullopt;
  auto bus = QDBusConnection::connectToBus(address, "quorlen-accessibility");
  if (!bus.isConnected()) return std::nullopt;
  return bus;
}

bool AtSpiButtons::Connect() {
  if (!triedToConnect_) {
    triedToConnect_ = true;
    bus_ = AtSpiTree::ConnectToBus();
  }
  return bus_ && bus_->isConnected();
}

std::optional<AccessibleObject> AtSpiButtons::Button(AtSpiTree& tree,
                                                     const AccessibleObject& object,
                                                     const QString& name, int depth, int& visited) {
  if (depth > kMaxDepth) return std::nullopt;
  for (const auto& child : tree.Children(object)) {
    if (++visited > kMaxNodes) return std::nullopt;
    QString role = tree.Role(child);
    if (role == "push button") {
      if (tree.Name(child) == name) return child;
    } else if (!HoldsContent(role)) {
      if (auto found = Button(tree, child, name, depth + 1, visited)) return found;
    }
  }
  return std::nullopt;
}

ButtonId AtSpiButtons::Find(int pid, const std::string& windowTitle, const std::string& name) {
  found_.clear();
  // Looking for the bus again every tick would cost a round trip each time; a desktop
  // whose bus comes later is seen after the program's next start.
  if (!Connect()) return 0;
  AtSpiTree tree(*bus_);
  const QString title = FromSingleByte(windowTitle);
  const QString wanted = FromSingleByte(name);
  int visited = 0;
  for (const AccessibleObject& application : tree.Children(AtSpiTree::kDesktop)) {
    if (pid != 0 && tree.ProcessOf(application.service) != pid) continue;
    for (const AccessibleObject& window : tree.Children(application)) {
      if (tree.Name(window) != title) continue;
      if (auto button = Button(tree, window, wanted, 0, visited)) {
        ButtonId id = nextId_++;
        found_[id] = *button;
        return id;
      }
    }
  }
  return 0;
}

void AtSpiButtons::Press(ButtonId button) {
  auto found = found_.find(button);
  if (found == found_.end() || !bus_) return;
  AtSpiTree tree(*bus_);
  tree.Click(found->second);
}

}  // namespace quorlen
