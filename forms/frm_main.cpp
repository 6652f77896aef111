#include "forms/frm_main.h"

#include <filesystem>
#include <limits>

#include "core/list_and_text_files.h"
#include "core/text.h"
#include "hosts/protected_names.h"
#include "platform/atomic_write.h"
#include "webserver/recent_blocked.h"

namespace quorlen {

namespace {

// The servers never blocked: the package sources' (a list must not stop the system's
// updates) and the vendor's own.
std::vector<std::string> KeptHosts(const ProgramSites& sites) {
  std::vector<std::string> hosts = hosts::PackageSourceHosts(sites.packageSources);
  hosts.push_back(hosts::HostOfAddress(sites.addresses.vendor));
  hosts.push_back(hosts::HostOfAddress(sites.addresses.maker));
  return hosts;
}

}  // namespace

frmMain::frmMain(Platform platform, ProgramHooks hooks, ProgramSites sites)
    : platform_(platform),
      hooks_(std::move(hooks)),
      message_(platform.loop,
               [this] {
                 return hooks_.screenSize ? hooks_.screenSize() : std::pair<int, int>{1024, 768};
               }),
      debugLog_(platform.loop, controls_.txtStatus, controls_.chkDebug),
      settings_(profiles_, paths_, options_, controls_, stats_, bLoading_),
      tray_(platform.tray, controls_, stats_, options_),
      shortcut_(platform.shell, platform.dialogs, controls_.lblStatus, controls_.chkStartup,
                bLoading_,
                {.chkAdServers = controls_.chkAdServers,
                 .showFeedback = [this] { help_.ShowFeedback(); },
                 .exitProgram = [this] { mnuFileExit_Click(); }}),
      help_({.desktop = platform.desktop,
             .dialogs = platform.dialogs,
             .loop = platform.loop,
             .system = platform.system},
            sites.addresses, ProgramVersion()),
      lastBlocked_(
          platform.loop, platform.system.TempFolder() + "/tempQL.txt",
          {.ListAdServerBuffer = [this](ListBox& list) { ListAdServerBuffer(list); },
           .ListIEPopupBuffer = [this](ListBox& list) { ListIEPopupBuffer(list); },
           .ListTitleBuffer = [this](ListBox& list) { ListTitleBuffer(list); },
           .setPickedRecord = [this](const std::string& r) { sPickedRecord_ = r; },
           .NoteBlockedPopupPage =
               [this](const std::string& page) { popups_.Notifier().NoteBlockedPopupPage(page); },
           .showAdServerEditor = [this] { adServerEditor_.Show(); },
           .showWhiteListEditor = [this] { popups_.ShowWhiteListEditor(); },
           .showPopupTitlesEditor = [this] { ShowPopupTitles(); },
           .openTextFile = [this](const std::string& path) { OpenInTextEditor(path); }}),
      sounds_(platform.sound, platform.dialogs,
              {.enable = controls_.chkBannerSound,
               .path = controls_.txtBannerWav,
               .browse = controls_.cmdBrowseAd,
               .test = controls_.cmdTestAd},
              {.enable = controls_.chkPopSound,
               .path = controls_.txtPopWav,
               .browse = controls_.cmdBrowsePop,
               .test = controls_.cmdTestPop},
              options_, bLoading_),
      windowSize_(controls_.window, controls_.Label4, SettingsWindow::kFixedWidth,
                  SettingsWindow::kFixedHeight),
      timer2_(platform.loop, 2500),
      timer3_(platform.loop, 60000),
      popups_({.loop = platform.loop,
               .input = platform.input,
               .browsers = platform.browsers,
               .sound = platform.sound,
               .dialogs = platform.dialogs,
               .profiles = profiles_},
              {.chkIEPops = controls_.chkIEPops,
               .chkPopSound = controls_.chkPopSound,
               .txtPopWav = controls_.txtPopWav,
               .lblStatus = controls_.lblStatus,
               .lbltype = controls_.lbltype,
               .lblpage = controls_.lblpage,
               .lblLastIEPop = controls_.lblLastIEPop,
               .lblLastIEPop1 = controls_.lblLastIEPop1,
               .LblKeyName = controls_.LblKeyName,
               .LblVKeycode = controls_.LblVKeycode,
               .A = controls_.A,
               .mnuTrayLastIEPop = controls_.mnuTrayLastIEPop},
              {.debugLog = [this](const std::string& m) { DebugLog(m); },
               .timeStamp = [this] { return TimeStamp(); },
               .putRecord =
                   [this](const std::string& record) {
                     if (cbIEPopups) cbIEPopups->PutItem(record);
                   },
               .addBlockedAd = [this] { AddBlockedAd(true); },
               .popsTempAllowed = [this] { return tray_.bPopsTempAllowed(); },
               .loading = [this] { return bLoading_; },
               .whiteListFile = [this] { return paths_.sWhiteList; }},
              options_.bBlockIEPopups),
      popupTitles_(profiles_, platform.dialogs, paths_.sUserTitlesList, paths_.sDefaultTitlesList,
                   [this](const std::string& m) { DebugLog(m); }),
      watcher_(platform.loop, platform.windows, platform.dialogs, popupTitles_,
               {.chkIEPops = controls_.chkIEPops,
                .mnuTrayLastPop = controls_.mnuTrayLastPop,
                .lblLastTitle = controls_.lblLastTitle,
                .lblLastTitle1 = controls_.lblLastTitle1},
               {.bPopsTempAllowed = [this] { return tray_.bPopsTempAllowed(); },
                .bHotKeyDown = [this] { return popups_.Input().getHotKeyDown(); },
                .browserActive = [this] { return popups_.Activity().TimerIEActive.Enabled(); }},
               {.debugLog = [this](const std::string& m) { DebugLog(m); },
                .timeStamp = [this] { return TimeStamp(); },
                .putRecord =
                    [this](const std::string& record) {
                      if (cbTitles) cbTitles->PutItem(record);
                    },
                .popupBlocked = [this](const std::string& text) { PopupBlocked(text); },
                .showSettings = [this] { tray_.ShowSettings(); }}),
      popupTitlesEditor_(
          platform.loop, platform.dialogs, platform.windows, profiles_, paths_.sUserTitlesList,
          paths_.sDefaultTitlesList,
          {.sLastTitleFragment = [this] { return watcher_.sLastTitleFragment(); },
           .getPickedRecord = [this] { return sPickedRecord_; },
           .setPickedRecord = [this](const std::string& record) { sPickedRecord_ = record; },
           .LoadPopupTitles = [this] { LoadPopupTitles(); }}),
      hosts_(platform.privileged, paths_.sHostsFile),
      responder_(
          platform.sockets, platform.sound,
          {.lbltype = controls_.lbltype,
           .lblpage = controls_.lblpage,
           .lblAllowServer = controls_.lblAllowServer,
           .lblAllow1 = controls_.lblAllow1,
           .mnuTrayAllow = controls_.mnuTrayAllow,
           .chkBannerSound = controls_.chkBannerSound,
           .txtBannerWav = controls_.txtBannerWav},
          {.debugLog = [this](const std::string& m) { DebugLog(m); },
           .timeStamp = [this] { return TimeStamp(); },
           .putRecord =
               [this](const std::string& record) {
                 if (cbAdServers) cbAdServers->PutItem(record);
               },
           .addBlockedAd = [this] { AddBlockedAd(false); },
           .afterBlock = [this] { updater_.AfterBlockedAd(); },
           .listenFailed = [this](const std::string& reason) { WebServerFailed(reason); },
           .httpsListenFailed = [this](const std::string& reason) { HttpsPortFailed(reason); },
           .nowMs = [this] { return platform_.loop.NowMs(); }},
          paths_.sAppPath),
      adServers_(platform.loop, platform.dialogs, profiles_, hosts_,
                 {.lblStatus = controls_.lblStatus,
                  .lblTotHosts = controls_.lblTotHosts,
                  .lbltype = controls_.lbltype,
                  .ProgressBar1 = controls_.ProgressBar1,
                  .cmdAllow = controls_.cmdAllow,
                  .cmdAddSites = controls_.cmdAddSites,
                  .mnuTrayAllow = controls_.mnuTrayAllow,
                  .chkAdServers = controls_.chkAdServers},
                 {.hostsFile = paths_.sHostsFile,
                  .defaultList = paths_.sDefaultHostsList,
                  .userList = paths_.sUserHostsList,
                  .exclusionsList = paths_.sExclusionsList},
                 {.bHostsFullySet = options_.bHostsFullySet,
                  .bBlockAdServers = options_.bBlockAdServers,
                  .nTotHosts = options_.nTotHosts,
                  .nDefaultCount = options_.nDefaultCount,
                  .nUserCount = options_.nUserCount},
                 {.loading = [this] { return bLoading_; },
                  .debugLog = [this](const std::string& m) { DebugLog(m); },
                  .save = [this] { Save(); },
                  .setServers = [this](std::int32_t n) { stats_.setServers(n); },
                  .startWebServers = [this] { responder_.StartWebServers(); },
                  .stopWebServer = [this] { responder_.StopWebServer(); },
                  .machineNames = [this] { return MachineNames(); },
                  .blockingFailed = [this](const std::string& what) { AdBlockingFailed(what); },
                  .trouble = [this](const std::string& what) { TellTrouble(what); },
                  .releaseMemory = hooks_.releaseMemory,
                  .keptHosts = [sites] { return KeptHosts(sites); },
                  .blockedServers =
                      [this](std::shared_ptr<const HostNameSet> names) {
                        // A browser answering a request itself asks the web server.
                        platform_.browsers.AnswerAdServers(
                            {std::move(names), [this](const std::string& request) {
                               std::string body;
                               responder_.AnswerRequest(
                                   request, [&body](const std::string& b) { body = b; });
                               return body;
                             }});
                      },
                  .reachable = [this] { return platform_.privileged.Reachable(); },
                  .resumed = [this] { AdBlockingResumed(); }}),
      fetcher_(platform.http, platform.loop, platform.dialogs, controls_.txtProxyName,
               options_.sProxyName),
      updater_(fetcher_, platform.loop, profiles_,
               {.lblStatus = controls_.lblStatus,
                .lblDateUpdate = controls_.lblDateUpdate,
                .ProgressBar1 = controls_.ProgressBar1,
                .mnuUpdate = controls_.mnuUpdate,
                .cmdData = controls_.cmdData,
                .cmdData2 = controls_.cmdData2,
                .cmdRemoval = controls_.cmdRemoval,
                .chkAuto = controls_.chkAuto},
               {.sDateUpdate = options_.sDateUpdate,
                .bAutoDownload = options_.bAutoDownload,
                .bBlockAdServers = options_.bBlockAdServers,
                .nBlockedToday = options_.nBlockedToday},
               {.defaultList = paths_.sDefaultHostsList,
                .removalsList = paths_.sRemovalsList,
                .settingsFile = paths_.sSettingsFile},
               {.loading = [this] { return bLoading_; },
                .showStatusPage = [this] { controls_.A.SetCurrentPage(settings_page::kStatus); },
                .setLastUpdate = [this](const std::string& text) { stats_.setLastUpdate(text); },
                .save = [this] { Save(); },
                .rebuildHosts =
                    [this](bool report) { adServers_.ReadLocalBanListAndUpdateHostsFile(report); },
                .setAllowControls = [this](bool enabled) { adServers_.SetAllowControls(enabled); },
                .readHosts = [this] { return ReadTextFile(paths_.sHostsFile); },
                .writeHosts =
                    [this](const std::string& text, std::string_view eol) {
                      if (!hosts_.Write(text + std::string(eol))) {
                        TellTrouble(std::string(kHostsNotWritten) + hosts_.LastFailure());
                      }
                    },
                .debugLog = [this](const std::string& m) { DebugLog(m); },
                .waitCursor = [this](bool wait) { platform_.dialogs.SetWaitCursor(wait); },
                .refused =
                    [this](const std::string& refusal) {
                      if (hooks_.onTrouble) hooks_.onTrouble(refusal);
                    },
                .readOwnHosts = [this] { return ReadTextFile(paths_.HostsBackup()); },
                .machineNames = [this] { return MachineNames(); }},
               sites.addresses.vendor, sites.listKey),
      versionCheck_(fetcher_, platform.dialogs,
                    {.A = controls_.A,
                     .lblStatus = controls_.lblStatus,
                     .txtProxyName = controls_.txtProxyName,
                     .mnuVersion = controls_.mnuVersion,
                     .cmdNew = controls_.cmdNew,
                     .mnuTest = controls_.mnuTest,
                     .cmdTestConn = controls_.cmdTestConn},
                    {.loading = [this] { return bLoading_; },
                     .openAddress = [this](const std::string& address) { help_.OpenPage(address); },
                     .exitProgram = [this] { mnuFileExit_Click(); }},
                    {.vendorUrl = sites.addresses.vendor, .ownVersion = ProgramVersion()}),
      adServerEditor_(
          profiles_, platform.dialogs, platform.loop,
          {.defaultList = paths_.sDefaultHostsList,
           .exclusionsList = paths_.sExclusionsList,
           .userList = paths_.sUserHostsList},
          {.lastBlockedServer = [this] { return responder_.sLastBlockedServer(); },
           .getPickedRecord = [this] { return sPickedRecord_; },
           .setPickedRecord = [this](const std::string& record) { sPickedRecord_ = record; },
           .reloadAllowed = [this] { adServers_.LoadExclusions(); },
           .rebuildHosts =
               [this](bool report) { adServers_.ReadLocalBanListAndUpdateHostsFile(report); },
           .openPopupTitlesEditor = [this] { ShowPopupTitles(); }}),
      domainTester_(fetcher_, platform.loop, platform.dialogs, platform.desktop, profiles_,
                    {.defaultList = paths_.sDefaultHostsList, .removalsList = paths_.sRemovalsList},
                    [this] { return SiteFilesFolder(paths_.sAppPath); }),
      proxySettings_(platform.desktop, platform.dialogs, controls_.txtProxyName,
                     controls_.cmdGuessProxy2, controls_.lblStatus, [this] { return bLoading_; }) {
  settings_.HideToTray = [this] { tray_.HideToTray(); };
  settings_.ShowSettings = [this] { tray_.ShowSettings(); };
  timer2_.onTick = [this] { Timer2_Timer(); };
  timer3_.onTick = [this] { tray_.RefreshTrayTip(); };
  WireHandlers();
}

frmMain::~frmMain() = default;

void frmMain::WireHandlers() {
  auto& c = controls_;
  c.chkAdServers.onClick = [this] { adServers_.chkAdServers_Click(); };
  c.chkIEPops.onClick = [this] { popups_.chkIEPops_Click(); };
  c.cmdAllowIEPop.onClick = [this] { popups_.ShowWhiteListEditor(); };
  c.lblLastIEPop.onClick = [this] { popups_.ShowWhiteListEditor(); };
  c.mnuTrayLastIEPop.onClick = [this] { popups_.ShowWhiteListEditor(); };
  c.chkStartup.onClick = [this] { shortcut_.chkStartup_Click(); };
  c.cmdClear.onClick = [this] { debugLog_.cmdClear_Click(); };
  c.cmdOn.onClick = [this] { adServers_.StartWebServers(); };
  c.cmdOff.onClick = [this] { adServers_.StopWebServer(); };
  c.mnuFileSave.onClick = [this] { Save(); };
  c.mnuSettingsReset.onClick = [this] { mnuSettingsReset_Click(); };
  c.cmdReset.onClick = [this] { mnuSettingsReset_Click(); };
  c.mnuFileExit.onClick = [this] { mnuFileExit_Click(); };
  c.mnuTrayExit.onClick = [this] { mnuTrayExit_Click(); };
  c.mnuTraySettings.onClick = [this] { tray_.ShowSettings(); };
  c.mnuTrayStats.onClick = [this] { tray_.mnuTrayStats_Click(); };
  c.mnuTrayPopups.onClick = [this] { tray_.mnuTrayPopups_Click(); };
  auto adServerEditor = [this] { adServerEditor_.Show(); };
  c.cmdAddSites.onClick = adServerEditor;
  c.cmdAllow.onClick = adServerEditor;
  c.lblAllowServer.onClick = adServerEditor;
  // From the tray the settings window comes forward first, behind the editor.
  c.mnuTrayAllow.onClick = [this, adServerEditor] {
    tray_.ShowSettings();
    adServerEditor();
  };
  c.mnuTrayBlock.onClick = c.mnuTrayAllow.onClick;
  for (Button* button : {&c.cmdPopupTitles, &c.cmdAllowTitle}) {
    button->onClick = [this] { ShowPopupTitles(); };
  }
  for (MenuItem* item : {&c.mnuTrayBlockTitle, &c.mnuTrayLastPop}) {
    item->onClick = [this] { ShowPopupTitles(); };
  }
  c.lblLastTitle.onClick = [this] { ShowPopupTitles(); };
  popupTitlesEditor_.openAdServerEditor = adServerEditor;
  c.cmdTestDomains.onClick = [this] { domainTester_.Show(); };

  c.cmdLog.onClick = [this] { lastBlocked_.Show(); };
  c.cmdHelpBlock.onClick = [this] { cmdHelpBlock_Click(); };
  c.mnuUninstallFeedback.onClick = [this] { shortcut_.mnuUninstallFeedback_Click(); };
  c.mnuUninstallUninstall.onClick = [this] { shortcut_.mnuUninstallUninstall_Click(); };
  auto feedback = [this] { help_.ShowFeedback(); };
  c.mnuHelpFeedback.onClick = feedback;
  c.mnuTrayFeedback.onClick = feedback;
  c.cmdFeedback.onClick = feedback;
  c.picOn.onClick = feedback;
  c.mnuHelpWeb.onClick = [this] { help_.mnuHelpWeb_Click(); };
  c.cmdHelpOnline.onClick = c.mnuHelpWeb.onClick;
  c.mnuHelpTut.onClick = [this] { help_.mnuHelpTut_Click(); };
  c.mnuHelpAbout.onClick = [this] { help_.ShowAbout(); };
  c.mnuHelpReadMe.onClick = [this] { OpenInTextEditor(paths_.DataFile("readme.txt")); };
  c.mnuFileOpen.onClick = [this] { OpenInTextEditor(paths_.sDefaultHostsList); };
  c.cmdIni.onClick = c.mnuFileOpen.onClick;
  c.Command1.onClick = [this] { OpenInTextEditor(paths_.sHostsFile); };
  c.Command2.onClick = [this] { OpenInTextEditor(paths_.HostsBackup()); };
}

std::string frmMain::ProgramVersion() {
  return std::to_string(QUORLEN_VERSION_MAJOR) + "." + std::to_string(QUORLEN_VERSION_MINOR) + "." +
         std::to_string(QUORLEN_VERSION_PATCH);
}

std::vector<std::string> frmMain::MachineNames() {
  std::string name = platform_.system.MachineName();
  return name.empty() ? std::vector<std::string>{} : std::vector<std::string>{name};
}

bool frmMain::IsWinNT() { return platform_.system.OsPlatform() == 2; }

std::string frmMain::WindowCaption() {
  std::string os;
  std::string name = platform_.system.OsName();
  if (!name.empty()) {
    os = "(on " + name + ")";
  } else {
    os = IsWinNT() ? "(on Win XP, 2000, or NT)" : "(on Win 95, 98, or ME)";
  }
  return std::string(kProgramName) + " " + os + " by Kestro v" + ProgramVersion();
}

bool frmMain::Form_Load() {
  // L1: a second copy ends before it reads or writes any file.
  if (!platform_.singleInstance.Acquire()) return false;

  // L2, L3. The keyboard monitor polls from the window's creation on.
  for (auto* buffer : {&cbTitles, &cbIEPopups, &cbAdServers}) {
    *buffer = std::make_unique<cCyclicBuffer>(&platform_.dialogs);
    (*buffer)->Create(50);
    (*buffer)->setBOverwriteOnFull(true);
  }
  controls_.mnuTrayLastPop.SetEnabled(false);
  controls_.mnuTrayLastIEPop.SetEnabled(false);
  controls_.A.SetCurrentPage(settings_page::kStatus);
  bLoading_ = true;
  options_.bAutoDownload = true;
  controls_.chkAuto.SetTicked(true);
  popups_.Input().Start();

  // L4 to L8.
  paths_.SetProgramFolder(platform_.system.DataFolder());
  shortcut_.programFile = platform_.system.ProgramFile();
  FinishInterruptedWrites({&paths_.sSettingsFile, &paths_.sDefaultHostsList, &paths_.sUserHostsList,
                           &paths_.sExclusionsList, &paths_.sRemovalsList, &paths_.sUserTitlesList,
                           &paths_.sDefaultTitlesList, &paths_.sWhiteList});
  platform_.dialogs.SetWaitCursor(true);
  adServers_.LoadExclusions();
  std::string windowsFolder = platform_.system.WindowsFolder();
  paths_.sHostsFile = platform_.system.HostsFile(IsWinNT(), windowsFolder);
  const std::string backup = paths_.HostsBackup(), fullCopy = paths_.HostsFullCopy();
  FinishInterruptedWrites({&paths_.sHostsFile, &backup, &fullCopy});

  // L9, L10: every start puts the start-up shortcut back.
  settings_.LoadSettings();
  shortcut_.AddOrRemoveGroupShortCut(true, false);
  controls_.chkStartup.SetTicked(true);

  // L11 to L14.
  tray_.AddAtStartup();
  if (!tray_.HasTray()) {
    DebugLog("No system tray on this desktop: the settings window stays on the task bar.");
  }
  if (!platform_.windows.SeesWindows()) {
    controls_.lblLastTitle1.SetCaption(TitleWatcher::kWindowsNotSeenLabel);
  }
  controls_.window.SetCaption(WindowCaption());
  if (!FileExists(paths_.DataFile("1by1.jpg"))) {
    platform_.dialogs.MsgBox(
        "Install failure: need this file to exists: " + paths_.sAppPath + " \\ " + "1by1.jpg",
        msgbox::kOkOnly, kProgramName);
  }

  // L15 to L19.
  controls_.lblStatus.SetCaption(kInitializing);
  LoadPopupTitles();
  popups_.LoadIEWhiteList();
  tray_.SetMenuIcons();
  tray_.RefreshTrayTip();
  timer3_.SetEnabled(true);
  watcher_.Timer4().SetEnabled(true);
  timer2_.SetEnabled(true);
  bLoading_ = false;
  platform_.dialogs.SetWaitCursor(false);
  return true;
}

void frmMain::FinishInterruptedWrites(std::initializer_list<const std::string*> files) {
  // Only this copy of the program writes these files, and it has not written yet: a
  // pending copy is a write a crash cut short, a temporary file a write that never began.
  for (const std::string* file : files) RecoverInterruptedWrite(*file);
}

void frmMain::FirstStart() {
  if (platform_.shell.DefaultBrowserIsTracked()) {
    int answer = platform_.dialogs.MsgBox(
        "In addition to popup ads, do you want Quorlen to block banner ads as well?",
        msgbox::kYesNo, "Block banner ads?");
    bool block = answer == msgbox::kAnswerYes;
    options_.bBlockAdServers = block;
    controls_.chkAdServers.SetTicked(block);
  }
  Save();
  platform_.dialogs.MsgBox(
      "IMPORTANT: YOU MUST RESTART YOUR COMPUTER TO MAKE SURE ALL BLOCKING WORKS CORRECTLY!",
      msgbox::kOkOnly, kProgramName);
  // The user's own hosts file from before the program ever changed it is kept once.
  if (!FileExists(hosts_.Backup()) && !hosts_.KeepBackup()) {
    TellTrouble("Quorlen could not keep a copy of your own hosts file: " + hosts_.LastFailure());
  }
  platform_.firstStart.RecordStart();
}

void frmMain::WarnNothingBlocked() {
  const std::string twoLines = std::string(kCrLf) + std::string(kCrLf);
  message_.Show("Quorlen - No Ads Being Blocked",
                "Quorlen is not blocking any ads!" + twoLines +
                    "You have both ad blocking options un-checked." + twoLines +
                    "To change this and start blocking ads, display the Quorlen settings "
                    "window and choose the 'Ad Blocking' tab.  " +
                    twoLines + "Then check one of the ad blocking options.");
}

void frmMain::RestoreHostsFromFullCopy() {
  // Replaced in one step instead of deleted first: the machine is never without a hosts file.
  platform_.loop.DoEvents();
  platform_.loop.Sleep(300);
  // When the kept copy cannot go back (the hosts file has changed since), the file is
  // rebuilt below.
  if (hosts_.PutBack(paths_.HostsFullCopy())) {
    options_.bHostsFullySet = true;
    Save();
  }
}

void frmMain::Timer2_Timer() {
  timer2_.SetEnabled(false);
  // D1.
  if (bStartupPending_) {
    if (!platform_.firstStart.StartedBefore()) {
      FirstStart();
    } else {
      tray_.HideToTray();
    }
    bStartupPending_ = false;
  }
  // D2 to D4.
  if (!options_.bBlockAdServers && !options_.bBlockIEPopups) WarnNothingBlocked();
  if (options_.bBlockAdServers) adServers_.StartWebServers();
  if (options_.bBlockIEPopups) popups_.StartBrowserTracker();
  // D5: the blocking version of the hosts file comes back, from its copy or a new build.
  if (FileExists(paths_.sDefaultHostsList)) {
    if (options_.bBlockAdServers) {
      adServers_.SetAllowControls(true);
      if (!adServers_.IsHostsFullySet()) {
        if (FileExists(paths_.HostsFullCopy())) {
          RestoreHostsFromFullCopy();
        } else {
          adServers_.ReadLocalBanListAndUpdateHostsFile(true);
        }
      }
    } else {
      adServers_.SetAllowControls(false);
    }
  }
  // D6: a hosts file this small cannot hold the block list, whatever the saved state says.
  if (options_.bBlockAdServers && TextFileLength(paths_.sHostsFile) < 10000) {
    adServers_.ReadLocalBanListAndUpdateHostsFile(true);
  }
  // Nothing of the delayed step spoke: start-up is over all the same.
  if (EndStartupText()) {
    const std::string before = controls_.lblStatus.Caption();
    controls_.lblStatus.SetCaption(before.empty() ? std::string(kStarted)
                                                  : before + std::string(kCrLf) + kStarted);
  }
  TellDesktopLimits();
}

void frmMain::TellDesktopLimits() {
  // After the start-up step's own texts, which replace the status area.
  if (!tray_.HasTray()) TellTrouble(TrayModel::kNoTrayNotice);
  if (!platform_.windows.SeesWindows()) TellTrouble(TitleWatcher::kWindowsNotSeen);
}

void frmMain::TellTrouble(const std::string& what) {
  controls_.lblStatus.SetCaption(controls_.lblStatus.Caption() + std::string(kCrLf) + what);
  DebugLog(what);
  if (hooks_.onTrouble) hooks_.onTrouble(what);
}

void frmMain::WebServerFailed(const std::string& reason) {
  CannotBlock("Quorlen cannot answer the blocked ad servers: " + reason + std::string(kCrLf) +
              "Ad servers are not blocked.");
}

void frmMain::HttpsPortFailed(const std::string& reason) {
  TellTrouble("Quorlen cannot answer the blocked ad servers over HTTPS: " + reason +
              std::string(kCrLf) + "Their HTTPS requests still fail, but are not counted.");
}

void frmMain::AdBlockingFailed(const std::string& what) { CannotBlock(what); }

void frmMain::CannotBlock(const std::string& what) {
  // At exit, or with blocking switched off, there is nothing to wait for.
  if (unloaded_ || !options_.bBlockAdServers) {
    TellTrouble(what);
    return;
  }
  if (!adServers_.Suspend()) {
    DebugLog(what);  // told when blocking began to wait
    return;
  }
  const std::string text = what + std::string(kCrLf) + std::string(kBlockingWaits);
  // The cause comes first, in place of the start-up's waiting text or above a long one.
  EndStartupText();
  const std::string before = controls_.lblStatus.Caption();
  const std::string twoLines = std::string(kCrLf) + std::string(kCrLf);
  controls_.lblStatus.SetCaption(before.empty() ? text : text + twoLines + before);
  DebugLog(text);
  if (hooks_.onTrouble) hooks_.onTrouble(text);
  // The settings window is hidden to the tray at start: the user learns it there.
  platform_.tray.ShowMessage(std::string(kNotBlockedTitle), text, true);
}

bool frmMain::EndStartupText() {
  std::string status = controls_.lblStatus.Caption();
  const std::string_view text = kInitializing;
  if (!status.ends_with(text)) return false;
  status.resize(status.size() - text.size());
  if (status.ends_with(kCrLf)) status.resize(status.size() - kCrLf.size());
  controls_.lblStatus.SetCaption(status);
  return true;
}

void frmMain::AdBlockingResumed() {
  const std::string text = std::string(kBlockingBack);
  controls_.lblStatus.SetCaption(controls_.lblStatus.Caption() + std::string(kCrLf) + text);
  DebugLog(text);
  if (hooks_.onTrouble) hooks_.onTrouble(text);
  platform_.tray.ShowMessage(std::string(kBlockingBackTitle), text, false);
}

void frmMain::mnuFileExit_Click() {
  adServers_.StopWebServer();
  tray_.DeleteIcon();
  popups_.DropBrowserTracker();
  popups_.StopKeyboardMonitor();
  stats_.Form_Unload();
  lastBlocked_.Unload();
  Unload(unload_mode::kByProgram);
}

void frmMain::mnuTrayExit_Click() {
  if (bLoading_) return;
  mnuFileExit_Click();
}

bool frmMain::Form_QueryUnload(int unloadMode) {
  if (unloadMode != unload_mode::kCloseBox) return false;
  tray_.HideToTray();
  return true;
}

bool frmMain::Unload(int unloadMode) {
  if (unloaded_) return true;
  if (Form_QueryUnload(unloadMode)) return false;
  unloaded_ = true;
  Form_Unload();
  Form_Terminate();
  if (hooks_.onQuit) hooks_.onQuit();
  return true;
}

void frmMain::Form_Unload() {
  // E3: without the start-up shortcut nothing will answer the listed servers after exit.
  if (!controls_.chkStartup.Ticked() && options_.bBlockAdServers) {
    adServers_.RestoreHostsAtExit();
  }
  adServers_.StopWebServer();
  tray_.DeleteIcon();
  popups_.DropBrowserTracker();
  popups_.StopKeyboardMonitor();
  Save();
  stats_.Form_Unload();
  popupTitlesEditor_.Unload();
  lastBlocked_.Unload();
  help_.UnloadAll();
  message_.cmdOK_Click();
  timer2_.SetEnabled(false);
  timer3_.SetEnabled(false);
  watcher_.Timer4().SetEnabled(false);
  watcher_.TimerPopupTitleClosed().SetEnabled(false);
}

void frmMain::AddBlockedAd(bool /*flag*/) {
  auto& today = options_.nBlockedToday;
  auto& total = options_.nTotBlocked;
  if (today < std::numeric_limits<std::int32_t>::max()) ++today;
  // The last blocked server can be allowed from there.
  if (today % 25 == 0 || today == 10) controls_.A.SetCurrentPage(settings_page::kAllowAds);
  controls_.lbltot.SetCaption(std::to_string(today));
  stats_.setToday(today);
  if (total < std::numeric_limits<std::int32_t>::max()) ++total;
  controls_.lblTotBlocked.SetCaption(std::to_string(total));
  stats_.setLifeTime(total);
}

void frmMain::mnuSettingsReset_Click() {
  if (bLoading_) return;
  controls_.A.SetCurrentPage(settings_page::kStatus);
  // 1, not 0: a total of 0 is never written, and the reset has to reach the file.
  options_.nTotBlocked = 1;
  options_.nBlockedToday = 0;
  controls_.lblTotBlocked.SetCaption("0");
  stats_.setLifeTime(0);
  controls_.lbltot.SetCaption("0");
  stats_.setToday(0);
  Save();
  platform_.dialogs.MsgBox("The total number of ads blocked has been reset to zero.",
                           msgbox::kOkOnly, kProgramName);
}

void frmMain::ListAdServerBuffer(ListBox& list) { ListRecentBlocked(list, cbAdServers); }
void frmMain::ListIEPopupBuffer(ListBox& list) { ListRecentBlocked(list, cbIEPopups); }
void frmMain::ListTitleBuffer(ListBox& list) { ListRecentBlocked(list, cbTitles); }

std::string frmMain::TimeStamp() { return quorlen::TimeStamp(platform_.loop.LocalNow()); }

void frmMain::Form_Terminate() { tray_.DeleteIcon(); }

void frmMain::cmdHelpBlock_Click() {
  const std::string twoLines = std::string(kCrLf) + std::string(kCrLf);
  platform_.dialogs.MsgBox(
      "FOR ALL BROWSERS:  Selecting the 'Block Banner Ads...' checkbox prevents "
      "ads from loading from the known list of active ad servers.  This also will blocks many "
      "of the popup ads from loading (like the x10 popup ads as well as standard banner ads)." +
          twoLines +
          "FOR INTERNET EXPLORER (AND AOL) BROWSERS:  Quorlen has extra capability to block "
          "popup ads while using the IE browser.  If you just want to block Popup ads, you may "
          "uncheck the 'Block Banner Ads...' checkbox. The extra popup blocking capability of "
          "Quorlen is not dependent on any predefined list of ad servers." +
          twoLines +
          "If you ese Netscape or Opera (or any browser besides IE), Quorlen will still stop "
          "many popup and banner ads, but not as many as Internet Explorer (and AOL) users.",
      msgbox::kInformation, "Quorlen Blocking Ads Help");
}

}  // namespace quorlen
