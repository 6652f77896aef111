#include "platform/qt/qt_tray.h"

#include <QCursor>

#include "platform/qt/text_codec.h"

namespace quorlen {

// What a Linux tray tells of the pointer: a click (left, also a double click), a request
// for the menu (right click) and a middle click, each after the fact. It never tells that
// the pointer passes over the icon, so the mouse-over message never arrives here and the
// tip the program stores on it stays unused; the tray host shows the tip by itself.
QtTrayIcon::QtTrayIcon(QIcon icon) : icon_(icon) {
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (!onMessage) return;
    if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick) {
      onMessage(tray_message::kLeftButtonUp);
    } else if (why == QSystemTrayIcon::Context) {
      onMessage(tray_message::kRightButtonUp);
    }
  });
}

QString QtTrayIcon::ShownTip(const std::string& szTip) {
  std::string tip = szTip.substr(0, szTip.find('\0'));
  if (tip.size() > 63) tip.resize(63);
  while (!tip.empty() && tip.back() == ' ') tip.pop_back();
  return FromSingleByte(tip);
}

bool QtTrayIcon::Add(const TrayRecord& record) {
  if (!Available()) return false;
  icon_.setToolTip(ShownTip(record.szTip));
  if (icon_.isVisible()) return false;
  icon_.show();
  return icon_.isVisible();
}

bool QtTrayIcon::Modify(const TrayRecord& record) {
  if (!icon_.isVisible()) return false;
  icon_.setToolTip(ShownTip(record.szTip));
  return true;
}

bool QtTrayIcon::Delete() {
  bool was = icon_.isVisible();
  icon_.hide();
  return was;
}

void QtTrayIcon::ShowMenu() {
  if (menu_) menu_->popup(QCursor::pos());
}

}  // namespace quorlen
