#include "forms/tray_model.h"

#include <string>

namespace quorlen {

namespace {

// The program's window icon and the "blocking is on" picture are the same image; the
// record names which one a writer used.
constexpr const char* kWindowIcon = "frmMain";
constexpr const char* kPictureOn = "picOn";

}  // namespace

TrayModel::TrayModel(TrayIcon& tray, SettingsWindow& window, frmStats& stats,
                     ProgramOptions& options)
    : tray_(tray), window_(window), stats_(stats), options_(options) {
  tray_.onMessage = [this](int message) { OnTrayMessage(message); };
  tray_.onAvailabilityChanged = [this] { TrayAvailabilityChanged(); };
}

void TrayModel::FollowTray() {
  const bool tray = tray_.Available();
  window_.mnuTray.SetCaption(tray ? "" : kMenuBarCaption);
  window_.mnuTray.SetVisible(!tray);
}

void TrayModel::TrayAvailabilityChanged() {
  FollowTray();
  if (tray_.Available()) {
    trayIconAdded_ = tray_.Add(record_);
    tray_.Modify(record_);
  } else if (options_.bMinimized && !window_.window.Visible()) {
    // The window was hidden in a tray that is gone: back on the task bar, so the user can
    // still reach the program.
    window_.window.SetMinimized(true);
    window_.window.SetVisible(true);
  }
}

void TrayModel::FillRecord(const char* icon) {
  record_.cbSize = 88;
  record_.uID = 1;
  record_.uFlags = 7;
  record_.uCallbackMessage = tray_message::kMouseMove;
  record_.icon = icon;
}

void TrayModel::AddAtStartup() {
  FollowTray();
  FillRecord(kWindowIcon);
  record_.szTip = std::string("Quorlen Just Started: ") + '\0';
  if (trayIconAdded_) {
    tray_.Modify(record_);
  } else {
    trayIconAdded_ = tray_.Add(record_);
  }
}

std::string TrayModel::TipText() const {
  if (options_.nDefaultCount < 1) return "Quorlen.";
  // The server count is a 16-bit sum: when it overflows the statement fails and the tip
  // stays empty, as the program always did.
  int servers = options_.nDefaultCount + options_.nUserCount;
  if (servers > 32767) return {};
  return "Quorlen blocked " + std::to_string(options_.nTotBlocked) + " ads.  As of " +
         options_.sDateUpdate + ", " + std::to_string(servers) + " ACTIVE ad servers blocked.";
}

std::string TrayModel::FitTip(std::string_view tip) {
  std::string field(tip.substr(0, kTipField));
  field.resize(kTipField, ' ');
  return field;
}

void TrayModel::RefreshTrayTip() {
  FillRecord(kPictureOn);
  record_.szTip = FitTip(TipText());
  // Adding fails harmlessly while the icon exists and brings it back after the task bar
  // was re-created.
  trayIconAdded_ = tray_.Add(record_);
  tray_.Modify(record_);
  ++trayTicks_;
}

void TrayModel::HideToTray() {
  if (!options_.bMinimized) {
    stats_.setLastUpdate("Last Updated " + options_.sDateUpdate);
    stats_.setLifeTime(options_.nTotBlocked);
    stats_.setServers(options_.nTotHosts);
    stats_.setToday(options_.nBlockedToday);
  }
  options_.bMinimized = true;
  FillRecord(kWindowIcon);
  if (trayIconAdded_) {
    tray_.Modify(record_);
  } else {
    trayIconAdded_ = tray_.Add(record_);
  }
  if (tray_.Available()) {
    window_.window.SetVisible(false);
  } else {
    // Also at a start that was left hidden in a tray: the task bar is the only way back.
    window_.window.SetMinimized(true);
    window_.window.SetVisible(true);
  }
}

void TrayModel::ShowSettings() {
  stats_.Form_Unload();
  window_.window.SetVisible(true);
  options_.bMinimized = false;
  BringToFront();
}

void TrayModel::BringToFront() {
  window_.window.BringToFront();
  if (window_.window.Minimized()) window_.window.SetMinimized(false);
  window_.window.SetVisible(true);
}

void TrayModel::DeleteIcon() { tray_.Delete(); }

void TrayModel::SetMenuIcons() {
  struct Row {
    MenuItem& item;
    const char* key;
  };
  Row rows[] = {
      {window_.mnuFileSave, "save"},        {window_.mnuFileExit, "stop"},
      {window_.mnuUpdate, "sendinfo"},      {window_.mnuVersion, "palette"},
      {window_.mnuTest, "network"},         {window_.mnuHelpFeedback, "help"},
      {window_.mnuHelpReadMe, "checklist"}, {window_.mnuHelpAbout, "quorlen"},
      {window_.mnuTraySettings, "gear"},    {window_.mnuTrayFeedback, "help"},
      {window_.mnuTrayStats, "graph"},      {window_.mnuTrayAllow, "palette"},
      {window_.mnuTrayLastPop, "palette"},  {window_.mnuTrayLastIEPop, "palette"},
      {window_.mnuTrayBlock, "block"},      {window_.mnuTrayBlockTitle, "block"},
      {window_.mnuTrayExit, "stop"},
  };
  for (auto& row : rows) row.item.SetImageKey(row.key);
}

void TrayModel::OnTrayMessage(int message) {
  switch (message) {
    case tray_message::kMouseMove:
      // Stored without telling the shell: the next hide shows this tip.
      FillRecord(kWindowIcon);
      record_.szTip = std::string("Quorlen Just Started.") + '\0';
      break;
    case tray_message::kLeftButtonUp:
      BringToFront();
      ShowSettings();
      break;
    case tray_message::kRightButtonUp:
      // The program's window comes forward as the menu opens; the tray draws the menu.
      window_.window.BringToFront();
      break;
    default:
      break;
  }
}

void TrayModel::mnuTrayPopups_Click() {
  if (popsTempAllowed_) {
    popsTempAllowed_ = false;
    window_.mnuTrayPopups.SetChecked(true);
    window_.mnuTrayPopups.SetCaption(
        "Block Popup Ads - ON (click here to temporarily allow popups)");
  } else {
    popsTempAllowed_ = true;
    window_.mnuTrayPopups.SetChecked(false);
    window_.mnuTrayPopups.SetCaption("Block Popup Ads - OFF (click here to block popups again)");
  }
}

void TrayModel::mnuTrayStats_Click() {
  stats_.Show();
  stats_.setLifeTime(options_.nTotBlocked);
  stats_.setToday(options_.nBlockedToday);
  stats_.setServers(options_.nTotHosts);
  stats_.setLastUpdate("Last Updated " + options_.sDateUpdate);
  stats_.SetTopMost(true);
}

}  // namespace quorlen
