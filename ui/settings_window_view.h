#pragma once

#include <QMainWindow>
#include <QMenu>

#include "forms/frm_main.h"

namespace quorlen {

// The settings window: the menu bar, the eight pages of tab control `A`, the status
// area, the progress bar and the debug area beyond the fixed size. It mirrors the model
// of frmMain and forwards what the user does; it decides nothing itself.
class SettingsWindowView : public QMainWindow {
 public:
  explicit SettingsWindowView(frmMain& main);

  // The tray menu, built from the same model as the menu bar's last, captionless menu.
  QMenu* TrayMenu() { return trayMenu_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  QWidget* BuildAdBlockingPage();
  QWidget* BuildStartupPage();
  QWidget* BuildHelpPage();
  QWidget* BuildSoundsPage();
  QWidget* BuildOtherPage();
  QWidget* BuildStatusPage();
  QWidget* BuildAllowPage();
  QWidget* BuildLoggingPage();
  QWidget* BuildDebugArea();

  frmMain& main_;
  SettingsWindow& c_;
  QMenu* trayMenu_ = nullptr;
};

}  // namespace quorlen
