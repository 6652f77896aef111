#include "platform/qt/qt_tray.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QTimer>

#include "platform/qt/text_codec.h"

namespace quorlen {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

bool OnX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

}  // namespace

// Qt decides once, when its first tray icon is made, whether icons go to a tray host on
// the session bus, and keeps that answer. On X11 it can fall back to the X11 tray, whose
// coming and going it follows by itself; elsewhere (Wayland) a host that registers later
// would never be used. So outside X11 the icon is made only once a host is registered,
// and the session bus's tray watcher is followed until then.
QtTrayIcon::QtTrayIcon(QIcon icon) : picture_(std::move(icon)) {
  auto* watcher = new QDBusServiceWatcher(kWatcherService, QDBusConnection::sessionBus(),
                                          QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &QtTrayIcon::TrayHostsChanged);
  QDBusConnection::sessionBus().connect(kWatcherService, kWatcherPath, kWatcherService,
                                        QStringLiteral("StatusNotifierHostRegistered"), this,
                                        SLOT(TrayHostsChanged()));
  if (HostRegistered()) {
    CreateIcon();
  } else if (OnX11()) {
    CreateIcon();
    // Qt tells nobody when an X11 tray comes or goes; asking it costs no round trip.
    auto* x11Tray = new QTimer(this);
    connect(x11Tray, &QTimer::timeout, this, &QtTrayIcon::TrayHostsChanged);
    x11Tray->start(1000);
  }
  wasAvailable_ = Available();
}

QtTrayIcon::~QtTrayIcon() = default;

bool QtTrayIcon::HostRegistered() const {
  QDBusMessage get = QDBusMessage::createMethodCall(
      kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
  QDBusMessage answer = QDBusConnection::sessionBus().call(get, QDBus::Block, 1000);
  return answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty() &&
         answer.arguments().first().value<QDBusVariant>().variant().toBool();
}

void QtTrayIcon::CreateIcon() {
  if (icon_) return;
  icon_ = std::make_unique<QSystemTrayIcon>(picture_);
  icon_->setToolTip(tip_);
  if (menu_) icon_->setContextMenu(menu_);
  connect(icon_.get(), &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason why) {
            if (!onMessage) return;
            if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick) {
              onMessage(tray_message::kLeftButtonUp);
            } else if (why == QSystemTrayIcon::Context) {
              onMessage(tray_message::kRightButtonUp);
            }
          });
}

void QtTrayIcon::TrayHostsChanged() {
  if (!icon_ && HostRegistered()) CreateIcon();
  bool now = Available();
  if (now == wasAvailable_) return;
  wasAvailable_ = now;
  if (onAvailabilityChanged) onAvailabilityChanged();
}

void QtTrayIcon::SetMenu(QMenu* menu) {
  menu_ = menu;
  if (icon_) icon_->setContextMenu(menu);
}

bool QtTrayIcon::Available() { return icon_ && QSystemTrayIcon::isSystemTrayAvailable(); }

// What a Linux tray tells of the pointer: a click (left, also a double click), a request
// for the menu (right click) and a middle click, each after the fact. It never tells that
// the pointer passes over the icon, so the mouse-over message never arrives here and the
// tip the program stores on it stays unused; the tray host shows the tip by itself.
QString QtTrayIcon::ShownTip(const std::string& szTip) {
  std::string tip = szTip.substr(0, szTip.find('\0'));
  if (tip.size() > 63) tip.resize(63);
  while (!tip.empty() && tip.back() == ' ') tip.pop_back();
  return FromSingleByte(tip);
}

bool QtTrayIcon::Add(const TrayRecord& record) {
  tip_ = ShownTip(record.szTip);
  if (!icon_) return false;
  const bool present = icon_->isVisible() && Available();
  icon_->setToolTip(tip_);
  // Shown even while there is no tray: Qt puts it into an X11 tray that comes later.
  icon_->show();
  return !present && Available();
}

bool QtTrayIcon::Modify(const TrayRecord& record) {
  if (!icon_ || !icon_->isVisible() || !Available()) return false;
  tip_ = ShownTip(record.szTip);
  icon_->setToolTip(tip_);
  return true;
}

void QtTrayIcon::ShowMessage(const std::string& title, const std::string& text, bool warning) {
  const QString summary = FromSingleByte(title);
  const QString body = FromSingleByte(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (icon_ && icon_->isVisible() && Available() && QSystemTrayIcon::supportsMessages()) {
    icon_->showMessage(summary, body,
                       warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
    return;
  }
  // No tray to hold a balloon: the desktop's notification service shows it instead.
  QDBusMessage notify = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  notify << QStringLiteral("Quorlen") << 0u
         << (warning ? QStringLiteral("dialog-warning") : QStringLiteral("dialog-information"))
         << summary << body << QStringList() << QVariantMap() << -1;
  QDBusConnection::sessionBus().send(notify);
}

bool QtTrayIcon::Delete() {
  const bool was = icon_ && icon_->isVisible() && Available();
  if (icon_) icon_->hide();
  return was;
}

}  // namespace quorlen
