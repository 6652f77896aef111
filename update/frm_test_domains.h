#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/controls.h"
#include "core/private_profile.h"
#include "core/timer.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "update/fetcher.h"

namespace quorlen {

// The local list files the tester reads.
struct TestDomainsFiles {
  const std::string& defaultList;   // quorlenhosts.ini
  const std::string& removalsList;  // removals.ini
};

// The domain tester, a tool for the people who keep the vendor site's lists: it tries
// every server of a local list, retries the ones that did not answer every 25 seconds,
// and finally moves the dead ones out of a working copy of "domains.txt" into
// "removals.txt".
// The working copy of the vendor site's files for the domain tester: the program's own
// site/zshared/ folder, else the one of the source tree a staged build sits in.
std::string SiteFilesFolder(const std::string& programFolder);

class frmTestDomains {
 public:
  static constexpr int kCountdown = 25;
  static constexpr std::int16_t kTimeout = 5;

  // `siteFolder` gives the working folder of the site files shown at the first opening.
  frmTestDomains(Fetcher& fetcher, EventLoop& loop, Dialogs& dialogs, Desktop& desktop,
                 ProfileStore& profiles, TestDomainsFiles files,
                 std::function<std::string()> siteFolder);

  // Opens the window afresh, or brings it forward when it is open.
  void Show();
  void Form_Load();

  void cmdTest_Click();
  void cmdTestFail_Click() { RetryFailures(); }
  void Timer1_Timer();
  void cmdUpdate_Click();
  void cmdOpenDomains_Click();
  void cmdOpenRemovals_Click();
  void Command3_Click() { lstTry.Clear(); }
  void Command2_Click() { stop_ = true; }
  void cmdStopTimer_Click() { Timer1.SetEnabled(false); }
  void cmdOK_Click();

  int Countdown() const { return countdown_; }
  int RetryPasses() const { return retries_; }

  Window window;
  Button cmdTest, cmdTestFail, cmdUpdate, cmdOpenDomains, cmdOpenRemovals, Command3, Command2,
      cmdStopTimer, cmdOK;
  TextBox txtDir, txtResult;
  ListBox lstTry, lstFail;
  Label lblTries, lblStatus, lblErr, lblFailStatus, lblTryStatus, lblTryCount, lblFailCount;
  Label lblDir, lblTry, lblFail;  // captions beside the folder and above the two lists
  ProgressBar ProgressBar1;
  Timer Timer1;

 private:
  void TestServer(const std::string& server);
  void RetryFailures();
  std::string Fetch(const std::string& server, std::string& error);
  void ShowError(const std::string& error);
  std::string Now();

  Fetcher& fetcher_;
  EventLoop& loop_;
  Dialogs& dialogs_;
  Desktop& desktop_;
  ProfileStore& profiles_;
  TestDomainsFiles files_;
  std::function<std::string()> siteFolder_;
  int countdown_ = kCountdown;
  bool stop_ = false;
  bool working_ = false;  // a test or a retry pass is under way
  int retries_ = 0;
};

}  // namespace quorlen
