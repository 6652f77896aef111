#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/controls.h"
#include "core/host_name_set.h"
#include "core/hosts_copies.h"
#include "core/private_profile.h"
#include "core/timer.h"
#include "hosts/blocking_notices.h"
#include "hosts/hosts_files.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"

namespace quorlen {

// A list file's entry count ("N" of [DomainCount]); not a 16-bit number counts as none.
std::int16_t ListFileCount(std::string_view text);
// The first `count` entries of a list file's text, "D0" onwards in [Domains], each as read
// through the profile buffer and trimmed; a missing one reads as empty. One pass over the
// text: reading key by key would build the whole file first.
std::vector<std::string> ListFileEntries(std::string_view text, std::int16_t count);

// Added to the status when ad-server blocking is switched on: a browser the program has
// not started guards the local network against public sites, and asks its user before
// one reaches a server the hosts file sends to this machine.
inline constexpr std::string_view kEverydayBrowsersAsk =
    "Browsers not started with quorlen-browser ask before a web site reaches a blocked ad "
    "server (\"wants to access other apps and services on this device\"): answer Block. "
    "Browse with quorlen-browser (Chromium) or quorlen-browser --firefox, and Quorlen "
    "answers those requests itself, without asking, and counts them.";

// The controls of the settings window and the tray menu the hosts-file blocking writes.
struct AdServerControls {
  Label& lblStatus;
  Label& lblTotHosts;
  Label& lbltype;
  ProgressBar& ProgressBar1;
  Button& cmdAllow;
  Button& cmdAddSites;
  MenuItem& mnuTrayAllow;
  CheckBox& chkAdServers;
};

// The files it reads and writes. The paths are known once the program has loaded, so
// these refer to the owner's strings rather than copying them.
struct AdServerFiles {
  const std::string& hostsFile;
  const std::string& defaultList;     // quorlenhosts.ini
  const std::string& userList;        // userhosts.ini
  const std::string& exclusionsList;  // quorlenhostsexc.ini
};

// The option members and counts it shares with the settings file and the tray tip.
struct AdServerState {
  bool& bHostsFullySet;
  bool& bBlockAdServers;
  std::int32_t& nTotHosts;
  std::int16_t& nDefaultCount;
  std::int16_t& nUserCount;
};

// What it asks of the rest of the program.
struct AdServerHooks {
  std::function<bool()> loading;  // the main window is still loading
  std::function<void(const std::string&)> debugLog;
  std::function<void()> save;                    // the settings file
  std::function<void(std::int32_t)> setServers;  // the statistics window's server count
  std::function<void()> startWebServers;
  std::function<void()> stopWebServer;
  // The names of this machine (its host name): never blocked, allowed or taken out.
  std::function<std::vector<std::string>()> machineNames;
  // The hosts file could not be written: blocking does not happen. The program tells
  // why and clears the box without its handler running.
  std::function<void(const std::string&)> blockingFailed = nullptr;
  // Another failure the user must know of, for the status area and the debug log.
  std::function<void(const std::string&)> trouble = nullptr;
  // A build or removal is done and its texts are gone: memory can go back to the system.
  std::function<void()> releaseMemory = nullptr;
  // The hosts the vendor's list never blocks, asked at every build: the vendor site's own
  // and those of the system's package sources.
  std::function<std::vector<std::string>()> keptHosts = nullptr;
  // The servers the hosts file sends to the web server while it runs, for the browsers
  // that answer them themselves: told when the web server starts and after every build
  // while it runs; empty once the lines are out; null when the web server stops.
  std::function<void(std::shared_ptr<const HostNameSet>)> blockedServers = nullptr;
  // Whether the privileged operations answer now; asked while blocking waits for them.
  std::function<bool()> reachable = nullptr;
  // Blocking that waited works again: the hosts file is built and port 80 answered.
  std::function<void()> resumed = nullptr;
};

// Ad-server blocking through the hosts file: builds the blocking lines from the list
// files, keeps the allowed servers out, takes the lines out again, puts the user's own
// file back at exit, and switches the local web server with the "block ad servers" box.
class AdServerBlocker {
 public:
  // `hosts` writes the hosts file and its copies (through the privileged operations).
  AdServerBlocker(EventLoop& loop, Dialogs& dialogs, ProfileStore& profiles, HostsFiles& hosts,
                  AdServerControls controls, AdServerFiles files, AdServerState state,
                  AdServerHooks hooks);

  void LoadExclusions();
  void StartWebServers();
  void StopWebServer();
  void SetAllowControls(bool enabled);
  bool IsHostsFullySet();
  void ReadLocalBanListAndUpdateHostsFile(bool report);
  // Puts the user's own hosts file back at exit.
  void RestoreHostsAtExit();
  void chkAdServers_Click();
  // Blocking is switched on but cannot work now (the privileged operations do not answer,
  // refuse, or port 80 is taken): nothing is answered or claimed until it works again,
  // which is tried by itself. The choice stays as the user made it. False when it was
  // waiting already, so the cause has been told.
  bool Suspend();

  // Blocking waits to be built (switched on) or taken out (switched off) once the
  // privileged operations answer again.
  bool Waiting() const { return pending_ != Pending::kNone; }

  void RemoveBlockedServers();
  void UnblockAdServers();
  void BlockAdServersNow();
  const std::vector<std::string>& aExclusions() const { return aExclusions_; }

  std::string HostsBackup() const { return HostsBackupOf(files_.hostsFile); }
  std::string HostsFullCopy() const { return HostsFullCopyOf(files_.hostsFile); }

  // A hosts file at least this long can hold a completed build.
  static constexpr std::uintmax_t kMinimumCompleteSize = 14001;
  // How often a waiting blocker asks whether the helper answers (a connection attempt on
  // its socket), and the longest wait between tries the helper answered but refused.
  static constexpr int kProbeMs = 2000;
  static constexpr int kLongestRetryMs = 60000;

 private:
  // The work of a build and of a removal; their texts are gone when these return.
  void Build(bool report);
  void Remove();
  void ReleaseMemory();
  // A list file's text, read afresh; a parse the store kept of it is let go.
  std::string ListText(const std::string& path);
  void Busy(bool busy);
  void SetStatus(const std::string& text);
  void DebugLog(const std::string& message);
  bool Loading() const;
  std::vector<std::string> MachineNames() const;
  void Trouble(const std::string& what);
  std::string HostsStayBlocked() const;
  void TellBlockedServers(std::shared_ptr<const HostNameSet> names);
  void ClaimNoServers();
  void Retry();
  void RetryLater(int intervalMs);

  EventLoop& loop_;
  Dialogs& dialogs_;
  ProfileStore& profiles_;
  HostsFiles& hosts_;
  bool hostsWritten_ = false;  // the last build or removal reached the hosts file
  bool serving_ = false;       // the web server was started and not stopped since
  AdServerControls c_;
  AdServerFiles files_;
  AdServerState state_;
  AdServerHooks hooks_;
  std::vector<std::string> aExclusions_;  // slots 0 to N; slot N stays empty
  enum class Pending { kNone, kBlock, kRemove };
  Pending pending_ = Pending::kNone;
  bool failedAgain_ = false;  // a try of a waiting blocker failed once more
  int retryMs_ = kProbeMs;
  Timer retry_;
};

}  // namespace quorlen
