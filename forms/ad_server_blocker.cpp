#include "forms/ad_server_blocker.h"

#include <filesystem>

#include "core/kestro_global_fn.h"
#include "core/text.h"
#include "forms/frm_main.h"
#include "hosts/hosts_text.h"

namespace quorlen {

namespace {

constexpr size_t kValueBuffer = 250;
const std::string kTwoLineEnds = std::string(kCrLf) + std::string(kCrLf);
const std::string kRestart =
    "YOU MUST SHUT DOWN AND RESTART your computer for this change to take effect.";

}  // namespace

AdServerBlocker::AdServerBlocker(frmMain& main, WebServer& webServer)
    : main_(main), webServer_(webServer) {}

void AdServerBlocker::SetStatus(const std::string& text) {
  main_.Controls().lblStatus.SetCaption(text);
}

void AdServerBlocker::Busy(bool busy) {
  main_.Controls().ProgressBar1.SetVisible(busy);
  if (!busy) main_.Controls().ProgressBar1.SetValue(0);
  main_.Services().dialogs.SetWaitCursor(busy);
}

std::vector<std::string> AdServerBlocker::ReadList(const std::string& path, std::int16_t count) {
  // One parse of the list file; every entry is then read as through the profile buffer.
  ProfileStore::Snapshot file = main_.Profiles().Open(path);
  std::vector<std::string> entries;
  entries.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (int i = 0; i < count; ++i) {
    entries.push_back(Trim(file->GetString("Domains", "D" + std::to_string(i), "", kValueBuffer)));
  }
  return entries;
}

void AdServerBlocker::LoadExclusions() {
  auto& dialogs = main_.Services().dialogs;
  dialogs.SetWaitCursor(true);
  const std::string path = main_.Paths().DataFile("quorlenhostsexc.ini");
  std::int16_t n = ToInt16(main_.Profiles().GetPrivateProfileString("DomainCount", "N", "", path,
                                                                    kValueBuffer))
                       .value_or(0);
  if (n < 0) n = 0;
  aExclusions_ = ReadList(path, n);
  aExclusions_.emplace_back();
  dialogs.SetWaitCursor(false);
}

void AdServerBlocker::SetAllowControls(bool enabled) {
  auto& c = main_.Controls();
  c.cmdAllow.SetEnabled(enabled);
  c.cmdAddSites.SetEnabled(enabled);
  c.mnuTrayAllow.SetEnabled(enabled);
}

bool AdServerBlocker::IsHostsFullySet() {
  if (!main_.Options().bHostsFullySet) return false;
  std::error_code error;
  auto size = std::filesystem::file_size(main_.Paths().sHostsFile, error);
  return !error && size >= kMinimumCompleteSize;
}

void AdServerBlocker::ReadLocalBanListAndUpdateHostsFile(bool report) {
  auto& c = main_.Controls();
  auto& options = main_.Options();
  auto& loop = main_.Services().loop;
  const ProgramPaths& paths = main_.Paths();
  Busy(true);

  const std::string old = ReadTextFile(paths.sHostsFile);
  const std::string defaultCount = main_.Profiles().GetPrivateProfileString(
      "DomainCount", "N", "", paths.sDefaultHostsList, kValueBuffer);
  const std::string userCount = main_.Profiles().GetPrivateProfileString(
      "DomainCount", "N", "0", paths.sUserHostsList, kValueBuffer);
  auto a = ToInt32(defaultCount);
  auto b = ToInt32(userCount);
  if (a && b) options.nTotHosts = *a + *b;
  c.lblTotHosts.SetCaption(std::to_string(options.nTotHosts));
  main_.Stats().setServers(options.nTotHosts);
  // A count that is not a 16-bit number fails its conversion and leaves the count as it
  // was: a missing list file contributes nothing, one beyond 32767 entries its old count.
  if (auto n = ToInt16(defaultCount)) options.nDefaultCount = *n;
  if (auto n = ToInt16(userCount)) options.nUserCount = *n;

  const std::vector<std::string> defaults = ReadList(paths.sDefaultHostsList, options.nDefaultCount);
  const std::vector<std::string> user = ReadList(paths.sUserHostsList, options.nUserCount);
  const std::vector<std::string> exclusions(
      aExclusions_.begin(), aExclusions_.empty() ? aExclusions_.end() : aExclusions_.end() - 1);

  auto pump = [&](hosts::Stage stage, int index) {
    if (index != hosts::kStageBegins) {
      c.ProgressBar1.SetValue(index);
      loop.DoEvents();
      return;
    }
    switch (stage) {
      case hosts::Stage::kDefaultList:
        SetStatus("Initializing Default Blocked Ad Server List...");
        loop.DoEvents();
        SetStatus("");
        c.ProgressBar1.SetRange(0, options.nDefaultCount);
        break;
      case hosts::Stage::kUserList:
        SetStatus("Initializing User Blocked Ad Server List...");
        loop.DoEvents();
        SetStatus("");
        c.ProgressBar1.SetRange(0, options.nUserCount);
        break;
      case hosts::Stage::kExclusions:
        SetStatus("Processing Excluded Ad Servers...");
        c.ProgressBar1.SetRange(0, static_cast<int>(exclusions.size()));
        break;
      case hosts::Stage::kBlankLines:
        c.ProgressBar1.SetRange(0, 20);
        break;
    }
  };
  const std::string_view eol = hosts::DetectLineEnd(old);
  hosts::BuildResult built = hosts::BuildHostsText(
      {old, eol, defaults, user, exclusions, pump, [this](const std::string& m) { main_.DebugLog(m); }});

  WriteTextFile(paths.sHostsFile, built.text, eol);

  if (report) {
    SetStatus("Data for " + std::to_string(built.addedCount) + " blocked ad servers and " +
              std::to_string(exclusions.size()) + " allowed ad servers was configured:" +
              std::string(kCrLf) + ReplaceAll(built.added, "127.0.0.1", "-") + kTwoLineEnds +
              "You should restart your computer if you want these changes to take effect.");
  }
  options.bHostsFullySet = true;
  main_.Save();
  Busy(false);
}

void AdServerBlocker::RemoveBlockedServers() {
  auto& c = main_.Controls();
  auto& loop = main_.Services().loop;
  const ProgramPaths& paths = main_.Paths();
  Busy(true);
  const std::string text = ReadTextFile(paths.sHostsFile);
  auto countOf = [&](const std::string& path) {
    std::int16_t n = ToInt16(main_.Profiles().GetPrivateProfileString("DomainCount", "N", "", path,
                                                                      kValueBuffer))
                         .value_or(0);
    return n;
  };
  const std::int16_t defaultCount = countOf(paths.sDefaultHostsList);
  SetStatus("");
  const std::vector<std::string> defaults = ReadList(paths.sDefaultHostsList, defaultCount);
  const std::int16_t userCount = countOf(paths.sUserHostsList);
  const std::vector<std::string> user = ReadList(paths.sUserHostsList, userCount);

  auto pump = [&](hosts::Stage stage, int index) {
    if (index == hosts::kStageBegins) {
      c.ProgressBar1.SetRange(0, stage == hosts::Stage::kDefaultList ? defaultCount : userCount);
      return;
    }
    c.ProgressBar1.SetValue(index);
    loop.DoEvents();
  };
  const std::string_view eol = hosts::DetectLineEnd(text);
  const std::string kept = hosts::RemoveServerLines(
      text, eol, defaults, user, pump, [this](const std::string& m) { main_.DebugLog(m); });
  WriteTextFile(paths.sHostsFile, kept, eol);
  main_.Options().bHostsFullySet = false;
  main_.Save();
  Busy(false);

  SetStatus(c.lblStatus.Caption() + std::string(kCrLf) + "Ad Servers are no longer blocked.  " +
            kTwoLineEnds + kRestart);
  main_.Options().nDefaultCount = 0;
  main_.Options().nUserCount = 0;
  c.lbltype.SetCaption("");
  SetAllowControls(false);
}

void AdServerBlocker::UnblockAdServers() {
  if (main_.bLoading()) return;
  RemoveBlockedServers();
}

void AdServerBlocker::BlockAdServersNow() {
  if (main_.bLoading()) return;
  ReadLocalBanListAndUpdateHostsFile(true);
  auto& status = main_.Controls().lblStatus;
  SetStatus(status.Caption() + std::string(kCrLf) +
            "Quorlen has now configured your system to block ads." + kTwoLineEnds + kRestart);
  SetAllowControls(true);
}

void AdServerBlocker::chkAdServers_Click() {
  if (main_.bLoading()) return;
  auto& box = main_.Controls().chkAdServers;
  main_.Options().bBlockAdServers = box.Ticked();
  const std::string restart =
      "PLEASE RESTART YOUR COMPUTER FOR THESE CHANGES TO TAKE EFFECT. " + kTwoLineEnds;
  if (box.Ticked()) {
    BlockAdServersNow();
    SetStatus(restart +
              "Quorlen will now block the known active ad servers from loading ads in your "
              "browser.  This stops banner ads as well as the x10 ads etc." +
              kTwoLineEnds +
              "If you experience trouble because some content seems blocked by Quorlen that "
              "you WANT to see, right click on the Quorlen icon in the system tray and choose "
              "the menu choice that will 'Allow Content...' from the last blocked ad server "
              "which will let you unblock that ad server. ");
    StartWebServers();
  } else {
    UnblockAdServers();
    SetStatus(restart +
              "Quorlen will no longer prevent any of the known active ad servers from loading "
              "their ads while you browse." +
              kTwoLineEnds +
              "You may want this setting if you use InterNet Explorer, and want to use Quorlen "
              "as a popup killer only.  If so, just make sure you have the 'Block Popup Ads...' "
              "checkbox checked.");
    StopWebServer();
  }
}

void AdServerBlocker::RestoreHostsAtExit() {
  const ProgramPaths& paths = main_.Paths();
  auto& loop = main_.Services().loop;
  if (!FileExists(paths.HostsBackup())) {
    RemoveBlockedServers();
    return;
  }
  std::error_code error;
  std::filesystem::remove(paths.HostsFullCopy(), error);
  loop.DoEvents();
  loop.Sleep(200);
  CopyFileOK(paths.sHostsFile, paths.HostsFullCopy());  // keeps the blocking version
  // The live file is replaced in one step rather than deleted first, so no program ever
  // finds the machine without a hosts file.
  loop.DoEvents();
  loop.Sleep(200);
  if (CopyFileOK(paths.HostsBackup(), paths.sHostsFile)) main_.Options().bHostsFullySet = false;
}

}  // namespace quorlen
