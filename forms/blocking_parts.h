#pragma once

#include "hosts/ad_server_blocking.h"

namespace quorlen {

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
