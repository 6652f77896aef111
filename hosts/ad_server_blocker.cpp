#include "hosts/ad_server_blocker.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>

#include "core/list_and_text_files.h"
#include "core/profile_file.h"
#include "core/text.h"
#include "hosts/blocked_names.h"
#include "hosts/hosts_text.h"

namespace quorlen {

namespace {

constexpr size_t kValueBuffer = 250;

const std::string kTwoLineEnds = std::string(kCrLf) + std::string(kCrLf);
const std::string kRestart =
    "YOU MUST SHUT DOWN AND RESTART your computer for this change to take effect.";

// Empties every entry that `names` holds, telling each to the log; an empty entry is
// skipped like one the list left empty.
template <typename Log>
void LeaveOut(std::vector<std::string>& entries, const hosts::NameSet& names,
              const std::string& why, const Log& log) {
  for (std::string& entry : entries) {
    if (entry.empty() || !names.Contains(entry)) continue;
    log(why + entry + "'");
    entry.clear();
  }
}

}  // namespace

std::int16_t ListFileCount(std::string_view text) {
  return ToInt16(ScanProfileString(text, "DomainCount", "N", "", kValueBuffer)).value_or(0);
}

std::vector<std::string> ListFileEntries(std::string_view text, std::int16_t count) {
  const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
  std::vector<std::optional<std::string_view>> found(n);
  ScanProfileSection(text, "Domains", [&](std::string_view name, std::string_view value) {
    // An entry's name is "D" and its number as the program writes it: no sign, no
    // leading zero, no blanks.
    if (name.size() < 2 || (name[0] != 'D' && name[0] != 'd')) return;
    const std::string_view digits = name.substr(1);
    if (digits.size() > 1 && digits[0] == '0') return;
    size_t index = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return;
      index = index * 10 + static_cast<size_t>(c - '0');
      if (index >= n) return;
    }
    if (!found[index]) found[index] = value;
  });
  std::vector<std::string> entries;
  entries.reserve(n);
  for (const auto& value : found) {
    entries.push_back(value ? Trim(value->substr(0, kValueBuffer - 1)) : std::string());
  }
  return entries;
}

AdServerBlocker::AdServerBlocker(EventLoop& loop, Dialogs& dialogs, ProfileStore& profiles,
                                 HostsFiles& hosts, AdServerControls controls, AdServerFiles files,
                                 AdServerState state, AdServerHooks hooks)
    : loop_(loop),
      dialogs_(dialogs),
      profiles_(profiles),
      hosts_(hosts),
      c_(controls),
      files_(files),
      state_(state),
      hooks_(std::move(hooks)),
      retry_(loop, kProbeMs) {
  retry_.onTick = [this] { Retry(); };
}

void AdServerBlocker::SetStatus(const std::string& text) { c_.lblStatus.SetCaption(text); }

bool AdServerBlocker::Loading() const { return hooks_.loading && hooks_.loading(); }

std::vector<std::string> AdServerBlocker::MachineNames() const {
  return hooks_.machineNames ? hooks_.machineNames() : std::vector<std::string>{};
}

void AdServerBlocker::DebugLog(const std::string& message) {
  if (hooks_.debugLog) hooks_.debugLog(message);
}

void AdServerBlocker::Trouble(const std::string& what) {
  if (hooks_.trouble) hooks_.trouble(what);
}

std::string AdServerBlocker::HostsStayBlocked() const {
  return std::string(kHostsNotWritten) + hosts_.LastFailure() + std::string(kCrLf) +
         "The listed ad servers are still in the hosts file.";
}

void AdServerBlocker::StartWebServers() {
  serving_ = true;
  if (hooks_.startWebServers) hooks_.startWebServers();
  // A web server that cannot listen has switched the blocking off meanwhile.
  if (!serving_ || !hooks_.blockedServers) return;
  // The hosts file holds, or is about to hold again, the lines of every listed server.
  const std::string defaultText = ListText(files_.defaultList);
  const std::string userText = ListText(files_.userList);
  const std::vector<std::string> exclusions(
      aExclusions_.begin(), aExclusions_.empty() ? aExclusions_.end() : aExclusions_.end() - 1);
  const hosts::ProtectedNames keep(ReadTextFile(files_.hostsFile), MachineNames());
  TellBlockedServers(std::make_shared<const HostNameSet>(
      hosts::BlockedNames(ListFileEntries(defaultText, ListFileCount(defaultText)),
                          ListFileEntries(userText, ListFileCount(userText)), exclusions, &keep)));
}

void AdServerBlocker::StopWebServer() {
  if (hooks_.stopWebServer) hooks_.stopWebServer();
  serving_ = false;
  TellBlockedServers(nullptr);
}

void AdServerBlocker::TellBlockedServers(std::shared_ptr<const HostNameSet> names) {
  if (hooks_.blockedServers) hooks_.blockedServers(std::move(names));
}

void AdServerBlocker::Busy(bool busy) {
  c_.ProgressBar1.SetVisible(busy);
  if (!busy) c_.ProgressBar1.SetValue(0);
  dialogs_.SetWaitCursor(busy);
}

std::string AdServerBlocker::ListText(const std::string& path) {
  // No second copy of a list of tens of thousands of entries stays in memory.
  profiles_.Forget(path);
  return ProfileStore::ReadText(path);
}

void AdServerBlocker::LoadExclusions() {
  dialogs_.SetWaitCursor(true);
  const std::string text = ListText(files_.exclusionsList);
  std::int16_t n = ListFileCount(text);
  if (n < 0) n = 0;
  aExclusions_ = ListFileEntries(text, n);
  aExclusions_.emplace_back();
  dialogs_.SetWaitCursor(false);
}

void AdServerBlocker::SetAllowControls(bool enabled) {
  c_.cmdAllow.SetEnabled(enabled);
  c_.cmdAddSites.SetEnabled(enabled);
  c_.mnuTrayAllow.SetEnabled(enabled);
}

bool AdServerBlocker::IsHostsFullySet() {
  if (!state_.bHostsFullySet) return false;
  std::error_code error;
  auto size = std::filesystem::file_size(files_.hostsFile, error);
  return !error && size >= kMinimumCompleteSize;
}

void AdServerBlocker::ReadLocalBanListAndUpdateHostsFile(bool report) {
  // Nothing could answer the lines: the build waits for the try that starts blocking.
  if (pending_ == Pending::kBlock) {
    DebugLog("The hosts file is built once ad-server blocking can start.");
    return;
  }
  Build(report);
  ReleaseMemory();
}

void AdServerBlocker::RemoveBlockedServers() {
  Remove();
  ReleaseMemory();
}

void AdServerBlocker::ReleaseMemory() {
  if (hooks_.releaseMemory) hooks_.releaseMemory();
}

void AdServerBlocker::Build(bool report) {
  Busy(true);

  const std::string old = ReadTextFile(files_.hostsFile);
  const std::string defaultText = ListText(files_.defaultList);
  const std::string userText = ListText(files_.userList);
  const std::string defaultCount =
      ScanProfileString(defaultText, "DomainCount", "N", "", kValueBuffer);
  const std::string userCount = ScanProfileString(userText, "DomainCount", "N", "0", kValueBuffer);
  auto a = ToInt32(defaultCount);
  auto b = ToInt32(userCount);
  if (a && b) state_.nTotHosts = *a + *b;
  c_.lblTotHosts.SetCaption(std::to_string(state_.nTotHosts));
  if (hooks_.setServers) hooks_.setServers(state_.nTotHosts);
  // A count that is not a 16-bit number fails its conversion and leaves the count as it
  // was: a missing list file contributes nothing, one beyond 32767 entries its old count.
  if (auto n = ToInt16(defaultCount)) state_.nDefaultCount = *n;
  if (auto n = ToInt16(userCount)) state_.nUserCount = *n;

  std::vector<std::string> defaults = ListFileEntries(defaultText, state_.nDefaultCount);
  std::vector<std::string> user = ListFileEntries(userText, state_.nUserCount);
  // No list shadows a name the user's own lines map, and the vendor's list never blocks its
  // own site or the system's package sources, whatever it says. The original rules wrote
  // every listed name; this knowingly departs from them.
  const auto log = [this](const std::string& m) { DebugLog(m); };
  const hosts::NameSet own = hosts::OwnMappedNames(old, ReadTextFile(HostsBackup()));
  LeaveOut(defaults, own, "Skipped a listed server the user's own hosts lines map: '", log);
  LeaveOut(user, own, "Skipped a listed server the user's own hosts lines map: '", log);
  hosts::NameSet kept;
  if (hooks_.keptHosts) {
    for (const std::string& host : hooks_.keptHosts()) kept.Add(host);
  }
  LeaveOut(defaults, kept,
           "Skipped a listed server that Quorlen or the system's updates must reach: '", log);
  const std::vector<std::string> exclusions(
      aExclusions_.begin(), aExclusions_.empty() ? aExclusions_.end() : aExclusions_.end() - 1);

  auto pump = [&](hosts::Stage stage, int index) {
    if (index != hosts::kStageBegins) {
      c_.ProgressBar1.SetValue(index);
      loop_.DoEvents();
      return;
    }
    switch (stage) {
      case hosts::Stage::kDefaultList:
        SetStatus("Initializing Default Blocked Ad Server List...");
        loop_.DoEvents();
        SetStatus("");
        c_.ProgressBar1.SetRange(0, state_.nDefaultCount);
        break;
      case hosts::Stage::kUserList:
        SetStatus("Initializing User Blocked Ad Server List...");
        loop_.DoEvents();
        SetStatus("");
        c_.ProgressBar1.SetRange(0, state_.nUserCount);
        break;
      case hosts::Stage::kExclusions:
        SetStatus("Processing Excluded Ad Servers...");
        c_.ProgressBar1.SetRange(0, static_cast<int>(exclusions.size()));
        break;
      case hosts::Stage::kBlankLines:
        c_.ProgressBar1.SetRange(0, 20);
        break;
    }
  };
  const std::string_view eol = hosts::DetectLineEnd(old);
  const hosts::ProtectedNames keep(old, MachineNames());
  hosts::BuildResult built =
      hosts::BuildHostsText({old, eol, defaults, user, exclusions, pump, log, &keep});

  built.text.append(eol);
  hostsWritten_ = hosts_.Write(built.text);
  if (!hostsWritten_) {
    // Nothing was blocked: no report of servers configured, no count anywhere.
    Busy(false);
    if (hooks_.blockingFailed) {
      hooks_.blockingFailed(std::string(kHostsNotWritten) + hosts_.LastFailure() +
                            std::string(kCrLf) + "Ad servers are not blocked.");
    }
    return;
  }

  if (serving_) {
    TellBlockedServers(std::make_shared<const HostNameSet>(
        hosts::BlockedNames(defaults, user, exclusions, &keep)));
  }
  if (report) {
    SetStatus("Data for " + std::to_string(built.addedCount) + " blocked ad servers and " +
              std::to_string(exclusions.size()) + " allowed ad servers was configured:" +
              std::string(kCrLf) + ReplaceAll(built.added, "127.0.0.1", "-") + kTwoLineEnds +
              "You should restart your computer if you want these changes to take effect.");
  }
  state_.bHostsFullySet = true;
  if (hooks_.save) hooks_.save();
  Busy(false);
}

void AdServerBlocker::Remove() {
  Busy(true);
  const std::string text = ReadTextFile(files_.hostsFile);
  const std::string defaultText = ListText(files_.defaultList);
  const std::int16_t defaultCount = ListFileCount(defaultText);
  SetStatus("");
  std::vector<std::string> defaults = ListFileEntries(defaultText, defaultCount);
  const std::string userText = ListText(files_.userList);
  const std::int16_t userCount = ListFileCount(userText);
  std::vector<std::string> user = ListFileEntries(userText, userCount);
  // The user's own "127.0.0.1 <name>" lines, those of the saved file, stay.
  const auto log = [this](const std::string& m) { DebugLog(m); };
  const hosts::NameSet own = hosts::OwnBlockedNames(ReadTextFile(HostsBackup()));
  LeaveOut(defaults, own, "Kept the user's own hosts line of '", log);
  LeaveOut(user, own, "Kept the user's own hosts line of '", log);

  auto pump = [&](hosts::Stage stage, int index) {
    if (index == hosts::kStageBegins) {
      c_.ProgressBar1.SetRange(0, stage == hosts::Stage::kDefaultList ? defaultCount : userCount);
      return;
    }
    c_.ProgressBar1.SetValue(index);
    loop_.DoEvents();
  };
  const std::string_view eol = hosts::DetectLineEnd(text);
  const hosts::ProtectedNames keep(text, MachineNames());
  const std::string kept = hosts::RemoveServerLines(text, eol, defaults, user, pump, log, &keep);
  hostsWritten_ = hosts_.Write(kept + std::string(eol));
  state_.bHostsFullySet = false;
  if (hooks_.save) hooks_.save();
  Busy(false);

  if (hostsWritten_) {
    TellBlockedServers(std::make_shared<const HostNameSet>());
    SetStatus(c_.lblStatus.Caption() + std::string(kCrLf) + "Ad Servers are no longer blocked.  " +
              kTwoLineEnds + kRestart);
  } else {
    Trouble(HostsStayBlocked());
    // Taken out once the helper answers, so no listed server stays sent to this machine.
    if (!state_.bBlockAdServers && pending_ == Pending::kNone) {
      pending_ = Pending::kRemove;
      RetryLater(kProbeMs);
    }
  }
  state_.nDefaultCount = 0;
  state_.nUserCount = 0;
  c_.lbltype.SetCaption("");
  SetAllowControls(false);
}

void AdServerBlocker::UnblockAdServers() {
  if (Loading()) return;
  RemoveBlockedServers();
}

void AdServerBlocker::BlockAdServersNow() {
  if (Loading()) return;
  ReadLocalBanListAndUpdateHostsFile(true);
  if (!hostsWritten_) return;
  SetStatus(c_.lblStatus.Caption() + std::string(kCrLf) +
            "Quorlen has now configured your system to block ads." + kTwoLineEnds + kRestart);
  SetAllowControls(true);
}

void AdServerBlocker::chkAdServers_Click() {
  if (Loading()) return;
  auto& box = c_.chkAdServers;
  state_.bBlockAdServers = box.Ticked();
  // The user's new choice replaces what waited.
  pending_ = Pending::kNone;
  retry_.SetEnabled(false);
  const std::string restart =
      "PLEASE RESTART YOUR COMPUTER FOR THESE CHANGES TO TAKE EFFECT. " + kTwoLineEnds;
  if (box.Ticked()) {
    BlockAdServersNow();
    if (!hostsWritten_) return;  // told; blocking starts once the hosts file can be written
    SetStatus(restart +
              "Quorlen will now block the known active ad servers from loading ads in your "
              "browser.  This stops banner ads as well as the x10 ads etc." +
              kTwoLineEnds +
              "If you experience trouble because some content seems blocked by Quorlen that "
              "you WANT to see, right click on the Quorlen icon in the system tray and choose "
              "the menu choice that will 'Allow Content...' from the last blocked ad server "
              "which will let you unblock that ad server. " +
              kTwoLineEnds + std::string(kEverydayBrowsersAsk));
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
    if (!hostsWritten_) SetStatus(c_.lblStatus.Caption() + std::string(kCrLf) + HostsStayBlocked());
    StopWebServer();
  }
}

void AdServerBlocker::RestoreHostsAtExit() {
  if (!FileExists(HostsBackup())) {
    RemoveBlockedServers();
    return;
  }
  // The copy is replaced in one step rather than deleted first.
  loop_.DoEvents();
  loop_.Sleep(200);
  if (!hosts_.KeepFullCopy()) {  // keeps the blocking version
    Trouble(std::string(kHostsNotWritten) + hosts_.LastFailure());
  }
  // The live file is replaced in one step rather than deleted first, so no program ever
  // finds the machine without a hosts file.
  loop_.DoEvents();
  loop_.Sleep(200);
  if (hosts_.PutBack(HostsBackup())) {
    state_.bHostsFullySet = false;
    return;
  }
  // The saved copy goes back only while the user's own lines are as they were when it was
  // kept: lines added since stay, and the listed servers' lines go instead.
  DebugLog("The saved hosts file was not put back: " + hosts_.LastFailure());
  RemoveBlockedServers();
}

void AdServerBlocker::ClaimNoServers() {
  state_.nTotHosts = 0;
  state_.nDefaultCount = 0;
  state_.nUserCount = 0;
  c_.lblTotHosts.SetCaption("0");
  if (hooks_.setServers) hooks_.setServers(0);
}

bool AdServerBlocker::Suspend() {
  StopWebServer();
  ClaimNoServers();
  if (pending_ == Pending::kBlock) {
    failedAgain_ = true;
    return false;
  }
  pending_ = Pending::kBlock;
  retryMs_ = kProbeMs;
  RetryLater(kProbeMs);
  return true;
}

void AdServerBlocker::RetryLater(int intervalMs) {
  retry_.SetEnabled(false);
  retry_.SetInterval(intervalMs);
  retry_.SetEnabled(true);
}

void AdServerBlocker::Retry() {
  // Asking costs one connection attempt; the work below, a whole build.
  if (hooks_.reachable && !hooks_.reachable()) return;
  retry_.SetEnabled(false);
  if (pending_ == Pending::kRemove) {
    pending_ = Pending::kNone;
    RemoveBlockedServers();  // waits again if it fails
    return;
  }
  if (pending_ != Pending::kBlock) return;
  // As a start does: the web server first, so no line is written that nothing answers.
  failedAgain_ = false;
  StartWebServers();
  if (!failedAgain_) {
    Build(true);
    ReleaseMemory();
  }
  if (failedAgain_) {
    // The helper answers but refuses, or the port is taken: each try waits longer.
    retryMs_ = std::min(retryMs_ * 2, kLongestRetryMs);
    RetryLater(retryMs_);
    return;
  }
  pending_ = Pending::kNone;
  SetAllowControls(true);
  if (hooks_.resumed) hooks_.resumed();
}

}  // namespace quorlen
