#include "forms/settings_file.h"

#include "core/text.h"

namespace quorlen {

namespace {

constexpr const char* kSection = "Settings";
// Settings are read through the program's 250-character buffers.
constexpr size_t kValueBuffer = 250;

std::string BooleanText(bool value) { return value ? "True" : "False"; }

// "Never" and the first-run date mean no update has happened; they are never written.
bool IsRealUpdateDate(const std::string& date) {
  return !date.empty() && date != "Never" && date != "1/1/2001";
}

}  // namespace

SettingsFile::SettingsFile(ProfileStore& profiles, const ProgramPaths& paths,
                           ProgramOptions& options, SettingsWindow& window, frmStats& stats,
                           const bool& bLoading)
    : profiles_(profiles),
      paths_(paths),
      options_(options),
      window_(window),
      stats_(stats),
      bLoading_(bLoading) {}

std::string SettingsFile::Read(const std::string& key, const std::string& defaultValue) {
  return profiles_.GetPrivateProfileString(kSection, key, defaultValue, paths_.sSettingsFile,
                                           kValueBuffer);
}

void SettingsFile::ReadBoolean(const std::string& key, const std::string& defaultValue,
                               bool& member) {
  // A value that is neither a number nor True/False leaves the member as it was.
  if (auto value = ToBoolean(Read(key, defaultValue))) member = *value;
}

void SettingsFile::LoadListCounts() {
  auto defaultCount =
      profiles_.ReadOnce("DomainCount", "N", "", paths_.sDefaultHostsList, kValueBuffer);
  auto userCount = profiles_.ReadOnce("DomainCount", "N", "0", paths_.sUserHostsList, kValueBuffer);
  auto a = ToInt32(defaultCount);
  auto b = ToInt32(userCount);
  if (a && b) options_.nTotHosts = *a + *b;
  window_.lblTotHosts.SetCaption(std::to_string(options_.nTotHosts));
  stats_.setServers(options_.nTotHosts);
}

void SettingsFile::LoadSettings() {
  LoadListCounts();

  ReadBoolean("bMinimized", "0", options_.bMinimized);
  if (options_.bMinimized) {
    if (HideToTray) HideToTray();
  } else if (ShowSettings) {
    ShowSettings();
  }

  ReadBoolean("bAutoDownload", "0", options_.bAutoDownload);
  window_.chkAuto.SetTicked(options_.bAutoDownload);

  ReadBoolean("bBannerSound", "1", options_.bBannerSound);
  if (options_.bBannerSound) {
    window_.chkBannerSound.SetTicked(true);
  } else {
    window_.chkBannerSound.SetTicked(false);
    window_.txtBannerWav.SetEnabled(false);
    window_.cmdBrowseAd.SetEnabled(false);
    window_.cmdTestAd.SetEnabled(false);
  }

  ReadBoolean("bPopSound", "1", options_.bPopSound);
  if (options_.bPopSound) {
    window_.chkPopSound.SetTicked(true);
  } else {
    window_.chkPopSound.SetTicked(false);
    window_.txtPopWav.SetEnabled(false);
    window_.cmdBrowsePop.SetEnabled(false);
    window_.cmdTestPop.SetEnabled(false);
  }

  std::string banner = Read("BannerSound", "");
  if (banner.empty()) banner = paths_.DataFile("ad.wav");
  options_.sBannerSound = banner;
  window_.txtBannerWav.SetText(banner);

  std::string pop = Read("PopSound", "");
  if (pop.empty()) pop = paths_.DataFile("pop.wav");
  options_.sPopSound = pop;
  window_.txtPopWav.SetText(pop);

  options_.sProxyName = Read("ProxyName", "");
  window_.txtProxyName.SetText(options_.sProxyName);
  options_.sProxyPort = Read("ProxyPort", "");

  if (auto total = ToInt32(Read("nTotBlocked", "0"))) options_.nTotBlocked = *total;
  window_.lbltot.SetCaption("0");
  stats_.setToday(0);
  window_.lblTotBlocked.SetCaption(std::to_string(options_.nTotBlocked));
  stats_.setLifeTime(options_.nTotBlocked);

  options_.sDateUpdate = Read("DateUpdate", "1/1/2001");
  window_.lblDateUpdate.SetCaption("Last Updated " + options_.sDateUpdate);
  stats_.setLastUpdate("Last Updated " + options_.sDateUpdate);

  if (auto n = ToInt16(
          profiles_.ReadOnce("DomainCount", "N", "", paths_.sDefaultHostsList, kValueBuffer))) {
    options_.nDefaultCount = *n;
  }
  if (auto n = ToInt16(
          profiles_.ReadOnce("DomainCount", "N", "", paths_.sUserHostsList, kValueBuffer))) {
    options_.nUserCount = *n;
  }

  ReadBoolean("bHostsFullySet", "0", options_.bHostsFullySet);
  ReadBoolean("bBlockAdServers", "1", options_.bBlockAdServers);
  window_.chkAdServers.SetTicked(options_.bBlockAdServers);
  ReadBoolean("bBlockIEPopups", "1", options_.bBlockIEPopups);
  window_.chkIEPops.SetTicked(options_.bBlockIEPopups);
}

void SettingsFile::Save() {
  if (bLoading_) return;
  options_.sProxyName = window_.txtProxyName.Text();

  ProfileEdits edits;
  edits.Set(kSection, "BannerSound", options_.sBannerSound);
  edits.Set(kSection, "PopSound", options_.sPopSound);
  edits.Set(kSection, "ProxyName", options_.sProxyName);
  edits.Set(kSection, "ProxyPort", options_.sProxyPort);
  edits.Set(kSection, "bMinimized", BooleanText(options_.bMinimized));
  edits.Set(kSection, "bAutoDownload", BooleanText(options_.bAutoDownload));
  edits.Set(kSection, "bBannerSound", BooleanText(options_.bBannerSound));
  edits.Set(kSection, "bBlockAdServers", BooleanText(options_.bBlockAdServers));
  edits.Set(kSection, "bBlockIEPopups", BooleanText(options_.bBlockIEPopups));
  edits.Set(kSection, "bPopSound", BooleanText(options_.bPopSound));
  edits.Set(kSection, "bHostsFullySet", BooleanText(options_.bHostsFullySet));
  if (IsRealUpdateDate(options_.sDateUpdate)) {
    edits.Set(kSection, "DateUpdate", options_.sDateUpdate);
  }
  if (options_.nTotBlocked > 0) {
    edits.Set(kSection, "nTotBlocked", std::to_string(options_.nTotBlocked));
  }
  // A folder the program cannot write to is not reported: the status says saved all the same.
  profiles_.Apply(paths_.sSettingsFile, edits);

  window_.lblStatus.SetCaption("Settings Saved" + std::string(kCrLf) + window_.lblStatus.Caption());
}

}  // namespace quorlen
