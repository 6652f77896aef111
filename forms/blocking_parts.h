#pragma once

namespace quorlen {

// What start-up and shutdown ask of ad-server blocking: the hosts file and the local
// responder. frmMain drives it; the implementation owns the work.
class AdServerBlocking {
 public:
  virtual ~AdServerBlocking() = default;
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

// The local web server that answers the blocked servers' requests.
class WebServer {
 public:
  virtual ~WebServer() = default;
  virtual void StartWebServers() = 0;
  virtual void StopWebServer() = 0;
};

// What start-up and shutdown ask of popup blocking: its lists, the browser tracker and
// the keyboard monitor.
class PopupBlocking {
 public:
  virtual ~PopupBlocking() = default;
  virtual void LoadPopupTitles() = 0;
  virtual void LoadIEWhiteList() = 0;
  virtual void StartBrowserTracker() = 0;
  virtual void DropBrowserTracker() = 0;
  virtual void StopKeyboardMonitor() = 0;
  virtual void chkIEPops_Click() = 0;
};

// Popup blocking is not part of this build yet: its lists are not read and no browser is
// followed, so these requests do nothing.
class PopupBlockingNotBuilt : public PopupBlocking {
 public:
  void LoadPopupTitles() override {}
  void LoadIEWhiteList() override {}
  void StartBrowserTracker() override {}
  void DropBrowserTracker() override {}
  void StopKeyboardMonitor() override {}
  void chkIEPops_Click() override {}
};

}  // namespace quorlen
