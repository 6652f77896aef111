#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include "platform/tray.h"

namespace quorlen {

// The tray icon on the desktop's notification area. A left click reports the left
// button's release, a right click the right button's, as the Windows shell does.
class QtTrayIcon : public QObject, public TrayIcon {
  Q_OBJECT

 public:
  explicit QtTrayIcon(QIcon icon);
  void SetMenu(QMenu* menu) { menu_ = menu; }

  bool Add(const TrayRecord& record) override;
  bool Modify(const TrayRecord& record) override;
  bool Delete() override;
  void ShowMenu() override;
  bool Available() override { return QSystemTrayIcon::isSystemTrayAvailable(); }

  // The tip as the shell shows it: up to the zero character, at most 63 characters.
  static QString ShownTip(const std::string& szTip);

 private:
  QSystemTrayIcon icon_;
  QMenu* menu_ = nullptr;
};

}  // namespace quorlen
