#pragma once

#include <string>
#include <vector>

#include "forms/blocking_parts.h"

namespace quorlen {

class frmMain;

// Ad-server blocking through the hosts file: builds the blocking lines from the list
// files, keeps the allowed servers out, takes the lines out again, puts the user's own
// file back at exit, and switches the local web server with the "block ad servers" box.
class AdServerBlocker : public AdServerBlocking {
 public:
  AdServerBlocker(frmMain& main, WebServer& webServer);

  void LoadExclusions() override;
  void StartWebServers() override { webServer_.StartWebServers(); }
  void StopWebServer() override { webServer_.StopWebServer(); }
  void SetAllowControls(bool enabled) override;
  bool IsHostsFullySet() override;
  void ReadLocalBanListAndUpdateHostsFile(bool report) override;
  void RestoreHostsAtExit() override;
  void chkAdServers_Click() override;

  void RemoveBlockedServers();
  void UnblockAdServers();
  void BlockAdServersNow();
  const std::vector<std::string>& aExclusions() const { return aExclusions_; }

  // A hosts file at least this long can hold a completed build.
  static constexpr std::uintmax_t kMinimumCompleteSize = 14001;

 private:
  std::vector<std::string> ReadList(const std::string& path, std::int16_t count);
  void Busy(bool busy);
  void SetStatus(const std::string& text);

  frmMain& main_;
  WebServer& webServer_;
  std::vector<std::string> aExclusions_;  // slots 0 to N; slot N stays empty
};

}  // namespace quorlen
