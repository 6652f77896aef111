#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "core/debug_log.h"
#include "core/frm_msg.h"
#include "core/frm_stats.h"
#include "core/list_and_text_files.h"
#include "core/private_profile.h"
#include "core/timer.h"
#include "forms/frm_last_blocked.h"
#include "forms/program_state.h"
#include "forms/settings_file.h"
#include "forms/settings_window.h"
#include "forms/settings_window_size.h"
#include "forms/sound_options.h"
#include "forms/startup_shortcut.h"
#include "forms/tray_model.h"
#include "help/help_windows.h"
#include "hosts/ad_server_blocker.h"
#include "hosts/frm_exclude.h"
#include "hosts/hosts_files.h"
#include "platform/browser.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/http_fetch.h"
#include "platform/input.h"
#include "platform/privileged.h"
#include "platform/shell.h"
#include "platform/sockets.h"
#include "platform/sound.h"
#include "platform/system.h"
#include "platform/tray.h"
#include "platform/window_system.h"
#include "popups/popup_blocker.h"
#include "titles/frm_popup_titles.h"
#include "titles/popup_titles.h"
#include "titles/title_watcher.h"
#include "update/data_update.h"
#include "update/fetcher.h"
#include "update/frm_test_domains.h"
#include "update/proxy_settings.h"
#include "update/site_signature.h"
#include "update/version_check.h"
#include "webserver/cyclic_buffer.h"
#include "webserver/responder.h"

namespace quorlen {

// The platform services the program runs on.
struct Platform {
  EventLoop& loop;
  Dialogs& dialogs;
  SystemInfo& system;
  FirstStartRecord& firstStart;
  SingleInstance& singleInstance;
  TrayIcon& tray;
  Sound& sound;
  Shell& shell;
  InputState& input;
  BrowserShell& browsers;
  WindowSystem& windows;
  PrivilegedOperations& privileged;  // the hosts file, its copies and port 80
  Desktop& desktop;
  SocketFactory& sockets;  // the web server's ports, 80 and 443 from the privileged operations
  HttpFetch& http;         // the vendor site's downloads
};

// The vendor site and what its downloads must carry.
struct ProgramSites {
  SiteAddresses addresses;
  update::SiteKey listKey;  // signs the site's lists; none verifies with an empty key
  // The package sources, whose servers and the vendor's are never blocked.
  std::string packageSources = "/etc/apt";
};

// What the program tells the world outside its windows: the terminal, the session's log,
// the process's end. Each may be left empty.
struct ProgramHooks {
  // A failure the user must know of, for the terminal or the session's log.
  std::function<void(const std::string&)> onTrouble = nullptr;
  // Every line of the debug log, the detail lines included, whether or not the debug area
  // shows them: for the session's log, when asked for there.
  std::function<void(const std::string&)> onDebugLog = nullptr;
  // The program has unloaded and the process should end.
  std::function<void()> onQuit = nullptr;
  // The screen's width and height in pixels, for centring the message window.
  std::function<std::pair<int, int>()> screenSize = nullptr;
  // A large list has been built and let go: memory the process no longer needs goes back.
  std::function<void()> releaseMemory = nullptr;
};

// Unload modes of the main window: why it is being closed.
namespace unload_mode {
inline constexpr int kCloseBox = 0;    // the user closed it from its title bar
inline constexpr int kByProgram = 1;   // the program's own Exit
inline constexpr int kSessionEnd = 2;  // the desktop session ends, or a signal asks to quit
}  // namespace unload_mode

// The main window: owner of the program's state, the settings window's model and every
// component of the program, which it builds and wires in its constructor (the views and
// the platform services come from outside). It runs start-up, the delayed start-up step
// and shutdown.
class frmMain {
 public:
  static constexpr const char* kProgramName = "Quorlen";
  static constexpr const char* kInitializing = "Please wait while Quorlen Initializes...";
  // The status once the delayed start-up step is done, when nothing of it said more.
  static constexpr const char* kStarted = "Quorlen has started.";

  explicit frmMain(Platform platform, ProgramHooks hooks = {}, ProgramSites sites = {});
  ~frmMain();

  // The Load event. False when another copy already runs: this one must end at once.
  bool Form_Load();
  // Closes the program the way the given unload mode does; returns false when cancelled.
  bool Unload(int unloadMode);

  void mnuFileExit_Click();
  void mnuTrayExit_Click();

  // Counts one blocked ad, whichever way it was blocked; the flag is not used.
  void AddBlockedAd(bool flag);
  void ListIEPopupBuffer(ListBox& list);
  void ListTitleBuffer(ListBox& list);
  std::string TimeStamp();

  // The 50 most recent blocked items of each kind.
  std::unique_ptr<cCyclicBuffer> cbAdServers, cbIEPopups, cbTitles;

  // The program's version as major.minor.revision.
  static std::string ProgramVersion();

  void DebugLog(const std::string& message) {
    if (hooks_.onDebugLog) hooks_.onDebugLog(message);
    debugLog_.DebugLog(message);
  }
  void Save() { settings_.Save(); }

  // The web server could not have the HTTPS port. Blocking stays on: those requests still
  // fail, as nothing of Quorlen's answers them, but they are not counted; told as above.
  void HttpsPortFailed(const std::string& reason);
  // Ad-server blocking: the hosts file, the web server that answers the listed servers,
  // their list editor.
  AdServerBlocker& AdServers() { return adServers_; }
  frmExclude& AdServerEditor() { return adServerEditor_; }
  // The vendor site: list updates, the version check, the domain tester.
  DataUpdater& Updates() { return updater_; }
  frmTestDomains& DomainTester() { return domainTester_; }
  // A recently-blocked record handed to the list editor that can allow it, to pre-select.
  const std::string& getPickedRecord() const { return sPickedRecord_; }

  // Popup blocking: the input monitor's flags, the browser activity timers, the decision,
  // the white list and its editor (see PopupBlocker).
  PopupBlocker& Popups() { return popups_; }
  // The notice after a blocked popup, shared with the title watcher.
  void PopupBlocked(const std::string& text) { popups_.PopupBlocked(text); }
  std::string getWhiteListFile() const { return paths_.sWhiteList; }
  std::string getLastBlockedPopupPage() { return popups_.Notifier().getLastBlockedPopupPage(); }

  // Window-title blocking: the fragments, the watcher and their editor.
  void LoadPopupTitles() { popupTitles_.LoadPopupTitles(); }
  const PopupTitles& PopupTitleList() const { return popupTitles_; }
  TitleWatcher& Watcher() { return watcher_; }
  frmPopupTitles& PopupTitlesEditor() { return popupTitlesEditor_; }
  void ShowPopupTitles() { popupTitlesEditor_.Show(); }

  SettingsWindow& Controls() { return controls_; }
  HelpWindows& Help() { return help_; }
  frmLastBlocked& LastBlocked() { return lastBlocked_; }
  SettingsWindowSize& WindowSize() { return windowSize_; }
  frmStats& Stats() { return stats_; }
  frmMSG& Message() { return message_; }
  TrayModel& Tray() { return tray_; }
  ProfileStore& Profiles() { return profiles_; }
  ProgramOptions& Options() { return options_; }
  const ProgramPaths& Paths() const { return paths_; }
  bool bLoading() const { return bLoading_; }
  bool bStartupPending() const { return bStartupPending_; }
  bool Unloaded() const { return unloaded_; }
  Timer& Timer2() { return timer2_; }
  Timer& Timer3() { return timer3_; }

 private:
  // A failure the user must know of, added to the status area and the debug log.
  void TellTrouble(const std::string& what);
  // Ad-server blocking cannot work: the hosts file or port 80 could not be had. With
  // blocking switched on it waits, claiming nothing, and starts by itself once it can; the
  // box stays ticked. The cause is told in the status area, the debug log and a tray
  // message (a desktop notification without a tray), once until blocking works again.
  void AdBlockingFailed(const std::string& what);
  // The web server could not have its port: as above.
  void WebServerFailed(const std::string& reason);
  // Blocking that waited works again: told as the failure was.
  void AdBlockingResumed();
  // True cancels the unload (the close box only hides the window).
  bool Form_QueryUnload(int unloadMode);
  void Form_Unload();
  void Form_Terminate();
  void Timer2_Timer();
  // "Ad Blocking Help": how each kind of blocking works in each browser.
  void cmdHelpBlock_Click();
  // Opens a file of the program in the desktop's text editor, or says that nothing can.
  void OpenInTextEditor(const std::string& path) {
    ShowTextFile(path, platform_.desktop, platform_.dialogs);
  }
  // The Options menu's reset of the counts, also the Status page's Reset button.
  void mnuSettingsReset_Click();
  void ListAdServerBuffer(ListBox& list);
  bool IsWinNT();
  void WireHandlers();
  void FinishInterruptedWrites(std::initializer_list<const std::string*> files);
  void FirstStart();
  void WarnNothingBlocked();
  void RestoreHostsFromFullCopy();
  void CannotBlock(const std::string& what);
  // Takes the start-up's waiting text off the end of the status area; false when it is not
  // there (something has replaced it).
  bool EndStartupText();
  // What this desktop does not offer, told once when start-up is done.
  void TellDesktopLimits();
  std::string WindowCaption();
  // This machine's own name, which no list may send elsewhere.
  std::vector<std::string> MachineNames();

  Platform platform_;
  ProgramHooks hooks_;
  SettingsWindow controls_;
  ProfileStore profiles_;
  ProgramPaths paths_;
  ProgramOptions options_;
  bool bLoading_ = false;
  bool bStartupPending_ = true;
  bool unloaded_ = false;
  std::string sPickedRecord_;
  frmStats stats_;
  frmMSG message_;
  DebugLogArea debugLog_;
  SettingsFile settings_;
  TrayModel tray_;
  StartupShortcut shortcut_;
  HelpWindows help_;
  frmLastBlocked lastBlocked_;
  SoundOptions sounds_;
  SettingsWindowSize windowSize_;
  Timer timer2_;
  Timer timer3_;
  PopupBlocker popups_;
  PopupTitles popupTitles_;
  TitleWatcher watcher_;
  frmPopupTitles popupTitlesEditor_;
  HostsFiles hosts_;
  Responder responder_;
  AdServerBlocker adServers_;
  Fetcher fetcher_;
  DataUpdater updater_;
  VersionCheck versionCheck_;
  frmExclude adServerEditor_;
  frmTestDomains domainTester_;
  ProxySettings proxySettings_;
};

}  // namespace quorlen
