#pragma once

#include <string_view>

namespace quorlen {

// Told when ad-server blocking has to wait (after the cause), and when it is back.
inline constexpr std::string_view kBlockingWaits =
    "Ad-server blocking stays switched on: Quorlen tries again by itself and blocks the listed "
    "ad servers as soon as quorlen-helper answers and port 80 is free.";
inline constexpr std::string_view kNotBlockedTitle = "Quorlen: ad servers are not blocked";
inline constexpr std::string_view kBlockingBackTitle = "Quorlen: ad servers are blocked again";
inline constexpr std::string_view kBlockingBack =
    "quorlen-helper answers again: Quorlen blocks the listed ad servers.";

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
  // Blocking is switched on but cannot work now (the privileged operations do not answer,
  // refuse, or port 80 is taken): nothing is answered or claimed until it works again,
  // which is tried by itself. The choice stays as the user made it. False when it was
  // waiting already, so the cause has been told.
  virtual bool Suspend() = 0;
};

}  // namespace quorlen
