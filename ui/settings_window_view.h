#pragma once

#include <QMainWindow>
#include <QMenu>
#include <vector>

#include "forms/frm_main.h"

class QButtonGroup;
class QPlainTextEdit;
class QStackedWidget;

namespace quorlen {

// The settings window: the menu bar, the page tabs in two rows, the eight pages of tab
// control `A`, the hint and the progress bar below them, and the debug area beyond the
// fixed size. It mirrors the model of frmMain and forwards what the user does; it decides
// nothing itself. Its fixed size is the design's, grown to what a larger font needs.
class SettingsWindowView : public QMainWindow {
 public:
  explicit SettingsWindowView(frmMain& main);

  // The tray menu, built from the same model as the menu bar's last, captionless menu.
  QMenu* TrayMenu() { return trayMenu_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenus();
  QWidget* BuildTabStrip();
  QWidget* BuildDebugArea();
  // Ctrl+Tab and Ctrl+PageDown go to the next page, with Shift or PageUp to the one before.
  void AddPageKeys();
  void ChainFocus();
  void FitFixedSize();
  // The fixed size while the debug area is closed; free resizing once it is open.
  void ApplySizeRule();
  void PlaceDebugLog();
  // Hides the parts of the debug area that lie below the window's edge.
  void HideWhatLiesOutOfSight();

  frmMain& main_;
  SettingsWindow& c_;
  QMenu* trayMenu_ = nullptr;
  QWidget* body_ = nullptr;
  QWidget* pagesArea_ = nullptr;
  QWidget* debugButtons_ = nullptr;
  QPlainTextEdit* debugLog_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QButtonGroup* tabs_ = nullptr;
};

}  // namespace quorlen
