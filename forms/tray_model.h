#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/frm_stats.h"
#include "forms/program_state.h"
#include "forms/settings_window.h"
#include "platform/tray.h"

namespace quorlen {

// The tray icon, its tool tip and its menu: how the user reaches a program that lives
// hidden in the notification area. Where the desktop has no notification area, hiding
// to the tray minimises the settings window instead, so it stays on the task bar, and
// the window's menu bar carries the tray menu. A tray that comes later is used at once.
class TrayModel {
 public:
  static constexpr size_t kTipField = 64;
  // The menu bar's caption of the tray menu where there is no tray.
  static constexpr const char* kMenuBarCaption = "&Quorlen";
  static constexpr const char* kNoTrayNotice =
      "This desktop shows no system tray, so the Quorlen window stays on the task bar (its "
      "close box minimises it) and the tray menu is under \"Quorlen\" in its menu bar. On "
      "GNOME the AppIndicator extension (package gnome-shell-extension-appindicator) adds a "
      "tray; Quorlen puts its icon there as soon as one appears.";

  TrayModel(TrayIcon& tray, SettingsWindow& window, frmStats& stats, ProgramOptions& options);

  // Adds the icon with the start-up tip, or modifies it when it was added before.
  void AddAtStartup();
  // The minute tick: renews the tip from the counts and re-adds a lost icon.
  void RefreshTrayTip();
  void HideToTray();
  void ShowSettings();
  void BringToFront();
  void DeleteIcon();
  void SetMenuIcons();

  // The icon's callback with its mouse message.
  void OnTrayMessage(int message);
  void mnuTrayPopups_Click();
  void mnuTrayStats_Click();

  bool bTrayIconAdded() const { return trayIconAdded_; }
  bool bPopsTempAllowed() const { return popsTempAllowed_; }
  int nTrayTicks() const { return trayTicks_; }
  const TrayRecord& Record() const { return record_; }
  bool HasTray() { return tray_.Available(); }

  // The tip text the minute tick shows, before it is fitted to the record.
  std::string TipText() const;
  // Cuts or pads a tip to the 64 characters of the record's field.
  static std::string FitTip(std::string_view tip);

 private:
  void FillRecord(const char* icon);
  // The menu bar carries the tray menu exactly while there is no tray.
  void FollowTray();
  void TrayAvailabilityChanged();

  TrayIcon& tray_;
  SettingsWindow& window_;
  frmStats& stats_;
  ProgramOptions& options_;
  TrayRecord record_;
  bool trayIconAdded_ = false;
  bool popsTempAllowed_ = false;
  int trayTicks_ = 0;
};

}  // namespace quorlen
