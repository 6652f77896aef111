#pragma once

namespace quorlen {

// What start-up and shutdown ask of ad-server blocking: the hosts file and the local
// responder. frmMain drives it; the implementation owns the work.
class AdServerService {
 public:
  virtual ~AdServerService() = default;
  virtual void LoadExclusions() = 0;
  virtual void StartWebServers() = 0;
  virtual void StopWebServer() = 0;
  virtual void SetAllowControls(bool enabled) = 0;
  virtual bool IsHostsFullySet() = 0;
  virtual void ReadLocalBanListAndUpdateHostsFile(bool report) = 0;
  // Puts the user's own hosts file back at exit.
  virtual void RestoreHostsAtExit() = 0;
  virtual void chkAdServers_Click() = 0;
};

}  // namespace quorlen
