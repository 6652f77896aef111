#include "platform/qt/atspi_buttons.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QVariant>
#include <vector>

#include "platform/qt/text_codec.h"

namespace quorlen {

namespace {

constexpr const char* kAccessible = "org.a11y.atspi.Accessible";
constexpr const char* kAction = "org.a11y.atspi.Action";

// Objects whose children are content, not a window's buttons: a search does not go into
// them, which keeps it short on large windows.
bool HoldsContent(const QString& role) {
  static const QStringList content = {"table", "tree table", "tree", "list", "list box",
                                      "text", "document frame", "document web", "menu bar",
                                      "menu", "terminal", "canvas", "drawing area"};
  return content.contains(role);
}

}  // namespace

// One search through the accessibility tree, with its budget of objects.
class AtSpiSearch {
 public:
  explicit AtSpiSearch(QDBusConnection& bus) : bus_(bus) {}

  QDBusMessage Call(const QString& service, const QString& path, const char* interface,
                    const char* method, const QVariantList& arguments = {}) {
    auto message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus_.call(message, QDBus::Block, AtSpiButtons::kCallTimeoutMs);
  }

  static QVariant First(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
    return reply.arguments().first();
  }

  std::vector<AtSpiButtons::Object> Children(const AtSpiButtons::Object& object) {
    std::vector<AtSpiButtons::Object> children;
    QVariant value = First(Call(object.service, object.path, kAccessible, "GetChildren"));
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

  QString Name(const AtSpiButtons::Object& object) {
    QVariant value = First(Call(object.service, object.path, "org.freedesktop.DBus.Properties",
                                "Get", {QString(kAccessible), QString("Name")}));
    return value.value<QDBusVariant>().variant().toString();
  }

  // The role's name in the bus's own words ("push button", "dialog").
  QString Role(const AtSpiButtons::Object& object) {
    return First(Call(object.service, object.path, kAccessible, "GetRoleName")).toString();
  }

  int ProcessOf(const QString& service) {
    return static_cast<int>(First(Call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", "GetConnectionUnixProcessID",
                                       {service}))
                                .toUInt());
  }

  // The first push button named `name` below `object`, depth first.
  std::optional<AtSpiButtons::Object> Button(const AtSpiButtons::Object& object,
                                             const QString& name, int depth) {
    if (depth > AtSpiButtons::kMaxDepth) return std::nullopt;
    for (const auto& child : Children(object)) {
      if (++visited_ > AtSpiButtons::kMaxNodes) return std::nullopt;
      QString role = Role(child);
      if (role == "push button") {
        if (Name(child) == name) return child;
      } else if (!HoldsContent(role)) {
        if (auto found = Button(child, name, depth + 1)) return found;
      }
    }
    return std::nullopt;
  }

 private:
  QDBusConnection& bus_;
  int visited_ = 0;
};

bool AtSpiButtons::Connect() {
  if (bus_) return bus_->isConnected();
  if (triedToConnect_) return false;
  triedToConnect_ = true;
  QDBusConnection session = QDBusConnection::sessionBus();
  if (!session.isConnected()) return false;
  auto ask = QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                                            "GetAddress");
  QVariant address = AtSpiSearch::First(session.call(ask, QDBus::Block, 2000));
  if (address.toString().isEmpty()) return false;
  bus_ = QDBusConnection::connectToBus(address.toString(), "quorlen-accessibility");
  return bus_->isConnected();
}

ButtonId AtSpiButtons::Find(int pid, const std::string& windowTitle, const std::string& name) {
  found_.clear();
  // Looking for the bus again every tick would cost a round trip each time; a desktop
  // whose bus comes later is seen after the program's next start.
  if (!Connect()) return 0;
  AtSpiSearch search(*bus_);
  const QString title = FromSingleByte(windowTitle);
  const QString wanted = FromSingleByte(name);
  const Object desktop{"org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"};
  for (const Object& application : search.Children(desktop)) {
    if (pid != 0 && search.ProcessOf(application.service) != pid) continue;
    for (const Object& window : search.Children(application)) {
      if (search.Name(window) != title) continue;
      if (auto button = search.Button(window, wanted, 0)) {
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
  AtSpiSearch search(*bus_);
  const Object& object = found->second;
  int count = AtSpiSearch::First(search.Call(object.service, object.path, kAction,
                                             "GetNActions"))
                  .toInt();
  if (count <= 0) {
    QVariant value = AtSpiSearch::First(
        search.Call(object.service, object.path, "org.freedesktop.DBus.Properties", "Get",
                    {QString(kAction), QString("NActions")}));
    count = value.value<QDBusVariant>().variant().toInt();
  }
  // Toolkits name the action "click" or "press"; the first action is the button's own.
  int chosen = 0;
  for (int i = 0; i < count; ++i) {
    QString action =
        AtSpiSearch::First(search.Call(object.service, object.path, kAction, "GetName", {i}))
            .toString()
            .toLower();
    if (action == "click" || action == "press") {
      chosen = i;
      break;
    }
  }
  search.Call(object.service, object.path, kAction, "DoAction", {chosen});
}

}  // namespace quorlen
