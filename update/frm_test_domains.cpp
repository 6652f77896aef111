#include "update/frm_test_domains.h"

#include <cstdio>
#include <filesystem>

#include "core/list_and_text_files.h"
#include "core/text.h"
#include "update/download_format.h"

namespace quorlen {

namespace {

const std::string kLine(kCrLf);
constexpr size_t kValueBuffer = 250;

void RemoveAll(std::string& text, const std::string& what) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) {
    text.erase(at, what.size());
  }
}

}  // namespace

std::string SiteFilesFolder(const std::string& programFolder) {
  namespace fs = std::filesystem;
  for (const fs::path& folder : {fs::path(programFolder) / "site" / "zshared",
                                 fs::path(programFolder) / ".." / ".." / "site" / "zshared"}) {
    std::error_code error;
    if (fs::is_directory(folder, error)) return fs::weakly_canonical(folder).string() + "/";
  }
  return (fs::path(programFolder) / "site" / "zshared").string() + "/";
}

frmTestDomains::frmTestDomains(Fetcher& fetcher, EventLoop& loop, Dialogs& dialogs,
                               Desktop& desktop, ProfileStore& profiles, TestDomainsFiles files,
                               std::function<std::string()> siteFolder)
    : Timer1(loop, 1000),
      fetcher_(fetcher),
      loop_(loop),
      dialogs_(dialogs),
      desktop_(desktop),
      profiles_(profiles),
      files_(files),
      siteFolder_(std::move(siteFolder)) {
  window.SetCaption("Ad Blocking Servers Update");
  window.SetBounds({0, 0, 720, 520});
  cmdTest.SetCaption("1 TEST");
  cmdTestFail.SetCaption("2- ReTry Failures");
  cmdUpdate.SetCaption("3- Fix Domains and Removals text files");
  cmdOpenDomains.SetCaption("Open Domains.txt");
  cmdOpenRemovals.SetCaption("Open Removals.txt");
  Command3.SetCaption("Clear Try List");
  Command2.SetCaption("pause Test");
  cmdStopTimer.SetCaption("Stop Timer");
  cmdOK.SetCaption("OK");
  lblTries.SetCaption("Fail Tries: 0");
  lblDir.SetCaption("Site files:");
  lblTry.SetCaption("Tried:");
  lblFail.SetCaption("Failed:");
  ProgressBar1.SetVisible(true);

  cmdTest.onClick = [this] { cmdTest_Click(); };
  cmdTestFail.onClick = [this] { cmdTestFail_Click(); };
  cmdUpdate.onClick = [this] { cmdUpdate_Click(); };
  cmdOpenDomains.onClick = [this] { cmdOpenDomains_Click(); };
  cmdOpenRemovals.onClick = [this] { cmdOpenRemovals_Click(); };
  Command3.onClick = [this] { Command3_Click(); };
  Command2.onClick = [this] { Command2_Click(); };
  cmdStopTimer.onClick = [this] { cmdStopTimer_Click(); };
  cmdOK.onClick = [this] { cmdOK_Click(); };
  Timer1.onTick = [this] { Timer1_Timer(); };
}

void frmTestDomains::Show() {
  window.Show([this] { Form_Load(); });
}

void frmTestDomains::Form_Load() {
  if (txtDir.Text().empty() && siteFolder_) txtDir.SetText(siteFolder_());
  lstTry.Clear();
  lstFail.Clear();
  countdown_ = kCountdown;
}

void frmTestDomains::cmdOK_Click() {
  Timer1.SetEnabled(false);
  stop_ = true;
  window.SetVisible(false);
}

std::string frmTestDomains::Fetch(const std::string& server, std::string& error) {
  error.clear();
  return fetcher_.DownloadURL(server, kTimeout, error);
}

void frmTestDomains::ShowError(const std::string& error) {
  // The fetch reports no error numbers of its own: 0 for none, 1 with its description.
  lblErr.SetCaption(" Err#=" + std::string(error.empty() ? "0" : "1") + " Desc='" + error + "'");
}

void frmTestDomains::TestServer(const std::string& server) {
  lstTry.AddItem(server);
  lblTryCount.SetCaption(std::to_string(lstTry.Count()));
  lblTryStatus.SetCaption("Trying " + server);
  std::string error;
  std::string text = Fetch(server, error);
  if (text.empty()) {
    loop_.DoEvents();
    loop_.Sleep(1);
    // Only a transfer of someone else's can still run here; it is waited for a while.
    for (int waited = 0; fetcher_.Busy() && waited < 5000; ++waited) {
      lblTryStatus.SetCaption("still executing");
      loop_.DoEvents();
      loop_.Sleep(1);
    }
    text = Fetch(server, error);
  }
  if (text.empty()) {
    lblFailStatus.SetCaption("Trying " + server + " again");
    text = Fetch(server, error);
  }
  if (text.empty()) {
    lstFail.AddItem(server);
    lblFailCount.SetCaption(std::to_string(lstFail.Count()));
    lblFailStatus.SetCaption("Failed " + server);
  } else {
    txtResult.SetText(text);
  }
  ShowError(error);
}

void frmTestDomains::cmdTest_Click() {
  if (working_) return;
  cmdTest.SetEnabled(false);
  const int answer = dialogs_.MsgBox("Click YES for main list of ad servers (quorlenhosts.ini).  " +
                                         kLine + "Click NO to retest removal list (removals.ini)",
                                     msgbox::kYesNo, "Quorlen");
  const std::string& path = answer == msgbox::kAnswerYes ? files_.defaultList : files_.removalsList;
  ProfileStore::Snapshot list = profiles_.Open(path);
  const int count =
      std::max<int>(0, ToInt16(list->GetString("DomainCount", "N", "", kValueBuffer)).value_or(0));
  working_ = true;
  stop_ = false;
  ProgressBar1.SetRange(0, count);
  ProgressBar1.SetVisible(true);
  for (int i = 0; i < count && !stop_; ++i) {
    const std::string server =
        Trim(list->GetString("Domains", "D" + std::to_string(i), "", kValueBuffer));
    if (server.empty()) continue;
    ProgressBar1.SetValue(i);
    loop_.DoEvents();
    TestServer(server);
  }
  working_ = false;
  cmdTest.SetEnabled(true);
  ProgressBar1.SetValue(0);
  RetryFailures();
}

void frmTestDomains::RetryFailures() {
  if (working_) return;
  working_ = true;
  stop_ = false;
  Timer1.SetEnabled(false);
  cmdTestFail.SetEnabled(false);
  ProgressBar1.SetVisible(true);
  for (int i = 0; i < lstFail.Count();) {
    ProgressBar1.SetRange(0, lstFail.Count());
    ProgressBar1.SetValue(i);
    if (stop_) break;
    const std::string server = lstFail.Item(i);
    lblFailStatus.SetCaption("trying " + server);
    lblFailCount.SetCaption(std::to_string(lstFail.Count()));
    std::string error;
    std::string text = Fetch(server, error);
    if (!text.empty()) {
      lblFailStatus.SetCaption("Worked! " + server);
      lstFail.RemoveItem(i);  // the next one moves into its place
      txtResult.SetText(text);
    } else {
      ++i;
    }
    loop_.DoEvents();
  }
  countdown_ = kCountdown;
  Timer1.SetEnabled(true);
  cmdTestFail.SetEnabled(true);
  ++retries_;
  lblTries.SetCaption("Fail list tries: " + std::to_string(retries_));
  ProgressBar1.SetValue(0);
  working_ = false;
}

void frmTestDomains::Timer1_Timer() {
  if (working_) return;  // a tick that arrives while servers are fetched waits for the next
  --countdown_;
  lblStatus.SetCaption("Retry Fail List in " + std::to_string(countdown_));
  if (countdown_ < 1) {
    lblStatus.SetCaption("Retrying Fail List NOW");
    RetryFailures();
  }
}

std::string frmTestDomains::Now() {
  const LocalTime t = loop_.LocalNow();
  const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  char clock[32];
  std::snprintf(clock, sizeof clock, "%d:%02d:%02d %s", hour12, t.minute, t.second,
                t.hour < 12 ? "AM" : "PM");
  return update::FormatUpdateDate({t.year, t.month, t.day}) + " " + clock;
}

void frmTestDomains::cmdUpdate_Click() {
  const std::string folder = txtDir.Text();
  const std::string domains = folder + "domains.txt";
  if (!FileExists(domains)) {
    dialogs_.MsgBox(domains + " does not exist", msgbox::kOkOnly, "Quorlen");
  } else {
    std::string text = ReadTextFile(domains);
    lblStatus.SetCaption("Clearing " + domains);
    ProgressBar1.SetRange(0, lstFail.Count());
    for (int i = 0; i < lstFail.Count(); ++i) {
      ProgressBar1.SetValue(i);
      lblErr.SetCaption("clearing " + lstFail.Item(i));
      RemoveAll(text, lstFail.Item(i) + kLine);
    }
    ProgressBar1.SetValue(0);
    WriteTextFile(domains, text);
  }

  const std::string removals = folder + "removals.txt";
  if (!FileExists(removals)) {
    dialogs_.MsgBox(removals + " does not exist", msgbox::kOkOnly, "Quorlen");
    return;
  }
  // The working copies are plain text here: a dated comment line heads the servers added
  // now, after whatever the file already holds.
  std::string text = ReadTextFile(removals) + kLine + "#" + Now() + kLine;
  lblStatus.SetCaption("Adding to " + removals);
  for (int i = 0; i < lstFail.Count(); ++i) {
    const std::string& entry = lstFail.Item(i);
    if (text.find(entry) != std::string::npos) {
      lblErr.SetCaption("skipping (in list) " + entry);
    } else {
      lblErr.SetCaption("adding " + entry);
      text += entry + kLine;
    }
  }
  WriteTextFile(removals, text);
}

void frmTestDomains::cmdOpenDomains_Click() {
  ShowTextFile(txtDir.Text() + "domains.txt", desktop_, dialogs_);
}

void frmTestDomains::cmdOpenRemovals_Click() {
  ShowTextFile(txtDir.Text() + "removals.txt", desktop_, dialogs_);
}

}  // namespace quorlen
