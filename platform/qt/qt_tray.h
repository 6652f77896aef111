#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

#include "platform/tray.h"

namespace quorlen {

// The tray icon on the desktop's notification area: a StatusNotifierItem where a tray
// host is registered on the session bus (KDE, GNOME with the AppIndicator extension,
// waybar, most panels), else an X11 tray icon. A left click reports the left button's
// release, a right click the right button's, as the Windows shell does; the menu set
// with SetMenu is drawn by the tray itself. A tray that appears after the program started
// is taken as soon as it is there.
class QtTrayIcon : public QObject, public TrayIcon {
  Q_OBJECT

 public:
  explicit QtTrayIcon(QIcon icon);
  ~QtTrayIcon() override;
  void SetMenu(QMenu* menu);

  bool Add(const TrayRecord& record) override;
  bool Modify(const TrayRecord& record) override;
  bool Delete() override;
  bool Available() override;
  void ShowMessage(const std::string& title, const std::string& text, bool warning) override;

  // The tip as the shell shows it: up to the zero character, at most 63 characters.
  static QString ShownTip(const std::string& szTip);

 private Q_SLOTS:
  // The session bus's tray watcher came, went or took a tray host.
  void TrayHostsChanged();

 private:
  // Makes the toolkit's icon once a tray can take it; see the .cpp for why not sooner. It
  // shows once the program adds it.
  void CreateIcon();
  bool HostRegistered() const;

  QIcon picture_;
  std::unique_ptr<QSystemTrayIcon> icon_;
  QMenu* menu_ = nullptr;
  QString tip_;
  bool wasAvailable_ = false;
};

}  // namespace quorlen
