// Quorlen: the composition root. It builds the real platform services, the main window's
// model and its views, and turns signals and the end of the desktop session into the
// program's orderly unload.
#include <malloc.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QLoggingCategory>
#include <QScreen>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "core/list_and_text_files.h"
#include "forms/frm_main.h"
#include "hosts/ad_server_blocker.h"
#include "hosts/frm_exclude.h"
#include "hosts/protected_names.h"
#include "platform/linux/browser_set.h"
#include "platform/linux/curl_fetch.h"
#include "platform/linux/linux_desktop.h"
#include "platform/linux/linux_shell.h"
#include "platform/linux/linux_system.h"
#include "platform/linux/privileged_linux.h"
#include "platform/linux/session_windows.h"
#include "platform/linux/x11_input.h"
#include "platform/qt/atspi_buttons.h"
#include "platform/qt/chromium_browsers.h"
#include "platform/qt/firefox_browsers.h"
#include "platform/qt/loopback_sockets.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_sound.h"
#include "platform/qt/qt_tray.h"
#include "platform/qt/settings_requests.h"
#include "privhelper/helper_client.h"
#include "ui/about_view.h"
#include "ui/exclude_view.h"
#include "ui/feedback_view.h"
#include "ui/help_view.h"
#include "ui/ie_white_list_view.h"
#include "ui/last_blocked_view.h"
#include "ui/menu_images.h"
#include "ui/popup_titles_view.h"
#include "ui/settings_window_view.h"
#include "ui/small_windows_view.h"
#include "ui/test_domains_view.h"
#include "update/data_update.h"
#include "update/fetcher.h"
#include "update/frm_test_domains.h"
#include "update/proxy_settings.h"
#include "update/site_signature.h"
#include "update/version_check.h"
#include "webserver/responder.h"

namespace {

// The public key of the vendor site's list signatures, checked as the program is built.
constexpr auto kListKey = quorlen::update::SiteKey::FromHex(QUORLEN_LIST_KEY);
static_assert(kListKey.has_value(), "QUORLEN_LIST_KEY must be 64 hexadecimal digits");

// What happens with the browsers the program follows, as the debug area shows it; off
// unless asked for with QT_LOGGING_RULES="quorlen.browsers.info=true".
Q_LOGGING_CATEGORY(lcBrowsers, "quorlen.browsers", QtWarningMsg)
// The whole debug log, detail lines included, as the debug area would show it with
// "Extra Debug" ticked; off unless asked for with QT_LOGGING_RULES="quorlen.debug.info=true".
Q_LOGGING_CATEGORY(lcDebug, "quorlen.debug", QtWarningMsg)

int signalPipe[2] = {-1, -1};

void OnSignal(int number) {
  char byte = static_cast<char>(number);
  [[maybe_unused]] auto written = ::write(signalPipe[1], &byte, 1);
}

void CatchEndingSignals() {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
}

// The working copy of the vendor site's files for the domain tester: the program's own
// site/zshared/ folder, else the one of the source tree a staged build sits in.
std::string SiteFolder(const std::string& programFolder) {
  namespace fs = std::filesystem;
  for (const fs::path& folder : {fs::path(programFolder) / "site" / "zshared",
                                 fs::path(programFolder) / ".." / ".." / "site" / "zshared"}) {
    std::error_code error;
    if (fs::is_directory(folder, error)) return fs::weakly_canonical(folder).string() + "/";
  }
  return (fs::path(programFolder) / "site" / "zshared").string() + "/";
}

// The whole debug log for the session's log, only when asked for there.
std::function<void(const std::string&)> DebugLogSink() {
  if (!lcDebug().isInfoEnabled()) return nullptr;
  return [](const std::string& message) {
    qCInfo(lcDebug).noquote() << QString::fromStdString(message);
  };
}

// Ends the process once the program has unloaded. While a message box waits in its own
// event loop, returning to it would run code of a program that is gone, so the process
// ends right there; everything the unload had to keep is already on disk.
void Quit() {
  if (QApplication::activeModalWidget() != nullptr) {
    std::fflush(nullptr);
    ::_exit(0);
  }
  QCoreApplication::quit();
}

// The program takes no options of its own beyond these two, which answer and end before
// anything is read, written or shown; Qt's own (-platform, -style, ...) go to Qt.
void DescribeCommandLine(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      "Quorlen, the ad blocker and popup killer in the system tray.\n\n"
      "Without options it starts blocking, or shows the settings window of the Quorlen that\n"
      "is already running. To stop it, choose \"Exit Quorlen AND stop blocking ads\" in the\n"
      "menu of its tray icon.");
  parser.addHelpOption();
  parser.addVersionOption();
}

void AnswerInformationOptions(int argc, char** argv) {
  if (argc < 2) return;
  QCoreApplication probe(argc, argv);
  QCommandLineParser parser;
  DescribeCommandLine(parser);
  parser.parse(probe.arguments());
  if (parser.isSet("help")) parser.showHelp(0);       // ends here
  if (parser.isSet("version")) parser.showVersion();  // ends here
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setApplicationName("Quorlen");
  QCoreApplication::setApplicationVersion(
      QString::fromStdString(quorlen::frmMain::ProgramVersion()));
  AnswerInformationOptions(argc, argv);
  // Lists and hosts texts of a megabyte or more are read and let go at every build. A fixed
  // threshold keeps them in memory of their own, given back when freed; the C library would
  // otherwise raise it after the first and take the later ones from the heap, which the
  // program's small allocations then keep from shrinking.
  ::mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  CatchEndingSignals();
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  {
    // Anything left once Qt took its own options is no option of the program's.
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(app);
  }

  quorlen::QtEventLoop loop;
  quorlen::QtDialogs dialogs;
  quorlen::LinuxSystemInfo system;
  quorlen::LinuxFirstStartRecord firstStart;
  quorlen::LinuxSingleInstance singleInstance;
  quorlen::QtTrayIcon tray(quorlen::ProgramIcon());
  quorlen::QtSound sound;
  quorlen::LinuxShell shell;
  quorlen::X11InputState input;
  quorlen::ChromiumBrowsers chromium(quorlen::ChromiumBrowsers::DefaultPlaces());
  quorlen::FirefoxBrowsers firefox(quorlen::FirefoxBrowsers::DefaultPlaces());
  quorlen::BrowserSet browsers({&chromium, &firefox});
  quorlen::AtSpiButtons buttons;
  std::unique_ptr<quorlen::SessionWindowSystem> windows =
      quorlen::OpenSessionWindowSystem(&buttons);
  // The window system's connection is read on the program's own loop; nothing runs on a
  // second thread.
  QSocketNotifier windowEvents(QSocketNotifier::Read);
  windowEvents.setSocket(windows->ConnectionFd());
  windowEvents.setEnabled(windows->ConnectionFd() >= 0);
  QObject::connect(&windowEvents, &QSocketNotifier::activated, &app, [&windows, &windowEvents] {
    if (!windows->ReadEvents()) windowEvents.setEnabled(false);
  });

  // As root the program changes the machine itself; as the desktop user it asks the helper.
  std::unique_ptr<quorlen::PrivilegedOperations> privileged;
  if (::geteuid() == 0) {
    privileged = std::make_unique<quorlen::DirectPrivileges>(system.HostsFile(true, "/etc"));
  } else {
    privileged = std::make_unique<quorlen::HelperPrivileges>(
        std::string(quorlen::helper::kSocketPath), loop);
  }

  quorlen::LinuxDesktop desktop;

  quorlen::CurlFetch http(loop);
  quorlen::frmMain main(
      {.loop = loop,
       .dialogs = dialogs,
       .system = system,
       .firstStart = firstStart,
       .singleInstance = singleInstance,
       .tray = tray,
       .sound = sound,
       .shell = shell,
       .input = input,
       .browsers = browsers,
       .windows = *windows,
       .privileged = *privileged,
       .desktop = desktop},
      {.onTrouble = [](const std::string& what) { std::fprintf(stderr, "%s\n", what.c_str()); },
       .onDebugLog = DebugLogSink(),
       .onQuit =
           [&http] {
             http.CancelAll();
             Quit();
           },
       .screenSize =
           [] {
             QRect screen = QGuiApplication::primaryScreen()->geometry();
             return std::pair<int, int>{screen.width(), screen.height()};
           }},
      {.vendor = QUORLEN_VENDOR_URL, .maker = QUORLEN_MAKER_URL});
  chromium.log = [&main](const std::string& message) {
    main.DebugLog("# " + message);
    qCInfo(lcBrowsers).noquote() << QString::fromStdString(message);
  };
  firefox.log = chromium.log;

  // Ports 80 and 443 need privileges: their listening sockets come from the privileged
  // operations.
  quorlen::LoopbackSocketFactory sockets([&privileged](int port) {
    if (port == 80) return privileged->ListenOnPort80();
    if (port == 443) return privileged->ListenOnPort443();
    return quorlen::LoopbackSocketFactory::BindLoopback(port);
  });
  auto& c = main.Controls();
  auto& options = main.Options();
  const auto& paths = main.Paths();
  quorlen::DataUpdater* updates = nullptr;  // asked after each blocked ad
  quorlen::Responder responder(
      sockets, sound,
      {.lbltype = c.lbltype,
       .lblpage = c.lblpage,
       .lblAllowServer = c.lblAllowServer,
       .lblAllow1 = c.lblAllow1,
       .mnuTrayAllow = c.mnuTrayAllow,
       .chkBannerSound = c.chkBannerSound,
       .txtBannerWav = c.txtBannerWav},
      {.debugLog = [&main](const std::string& m) { main.DebugLog(m); },
       .timeStamp = [&main] { return main.TimeStamp(); },
       .putRecord =
           [&main](const std::string& record) {
             if (main.cbAdServers) main.cbAdServers->PutItem(record);
           },
       .addBlockedAd = [&main] { main.AddBlockedAd(false); },
       .afterBlock =
           [&updates] {
             if (updates) updates->AfterBlockedAd();
           },
       .listenFailed = [&main](const std::string& reason) { main.WebServerFailed(reason); },
       .httpsListenFailed = [&main](const std::string& reason) { main.HttpsPortFailed(reason); },
       .nowMs = [&loop] { return loop.NowMs(); }},
      paths.sAppPath);
  const auto machineNames = [&system] {
    std::string name = system.MachineName();
    return name.empty() ? std::vector<std::string>{} : std::vector<std::string>{name};
  };
  quorlen::AdServerBlocker adServers(
      loop, dialogs, main.Profiles(), main.Hosts(),
      {.lblStatus = c.lblStatus,
       .lblTotHosts = c.lblTotHosts,
       .lbltype = c.lbltype,
       .ProgressBar1 = c.ProgressBar1,
       .cmdAllow = c.cmdAllow,
       .cmdAddSites = c.cmdAddSites,
       .mnuTrayAllow = c.mnuTrayAllow,
       .chkAdServers = c.chkAdServers},
      {.hostsFile = paths.sHostsFile,
       .defaultList = paths.sDefaultHostsList,
       .userList = paths.sUserHostsList,
       .exclusionsList = paths.sExclusionsList},
      {.bHostsFullySet = options.bHostsFullySet,
       .bBlockAdServers = options.bBlockAdServers,
       .nTotHosts = options.nTotHosts,
       .nDefaultCount = options.nDefaultCount,
       .nUserCount = options.nUserCount},
      {.loading = [&main] { return main.bLoading(); },
       .debugLog = [&main](const std::string& m) { main.DebugLog(m); },
       .save = [&main] { main.Save(); },
       .setServers = [&main](std::int32_t n) { main.Stats().setServers(n); },
       .startWebServers = [&responder] { responder.StartWebServers(); },
       .stopWebServer = [&responder] { responder.StopWebServer(); },
       .machineNames = machineNames,
       .blockingFailed = [&main](const std::string& what) { main.AdBlockingFailed(what); },
       .trouble = [&main](const std::string& what) { main.TellTrouble(what); },
       .releaseMemory = [] { ::malloc_trim(0); },
       .keptHosts =
           [] {
             std::vector<std::string> hosts = quorlen::hosts::PackageSourceHosts("/etc/apt");
             hosts.push_back(quorlen::hosts::HostOfAddress(QUORLEN_VENDOR_URL));
             hosts.push_back(quorlen::hosts::HostOfAddress(QUORLEN_MAKER_URL));
             return hosts;
           },
       .blockedServers =
           [&browsers, &responder](std::shared_ptr<const quorlen::HostNameSet> names) {
             // A request a browser answers itself goes through the web server's own step.
             browsers.AnswerAdServers({std::move(names), [&responder](const std::string& request) {
                                         std::string body;
                                         responder.AnswerRequest(
                                             request, [&body](const std::string& b) { body = b; });
                                         return body;
                                       }});
           },
       .reachable = [&privileged] { return privileged->Reachable(); },
       .resumed = [&main] { main.AdBlockingResumed(); }});
  main.SetAdServerService(&adServers);

  quorlen::Fetcher fetcher(http, loop, dialogs, c.txtProxyName, options.sProxyName);
  quorlen::DataUpdater updater(
      fetcher, loop, main.Profiles(),
      {.lblStatus = c.lblStatus,
       .lblDateUpdate = c.lblDateUpdate,
       .ProgressBar1 = c.ProgressBar1,
       .mnuUpdate = c.mnuUpdate,
       .cmdData = c.cmdData,
       .cmdData2 = c.cmdData2,
       .cmdRemoval = c.cmdRemoval,
       .chkAuto = c.chkAuto},
      {.sDateUpdate = options.sDateUpdate,
       .bAutoDownload = options.bAutoDownload,
       .bBlockAdServers = options.bBlockAdServers,
       .nBlockedToday = options.nBlockedToday},
      {.defaultList = paths.sDefaultHostsList,
       .removalsList = paths.sRemovalsList,
       .settingsFile = paths.sSettingsFile},
      {.loading = [&main] { return main.bLoading(); },
       .showStatusPage = [&c] { c.A.SetCurrentPage(quorlen::settings_page::kStatus); },
       .setLastUpdate = [&main](const std::string& text) { main.Stats().setLastUpdate(text); },
       .save = [&main] { main.Save(); },
       .rebuildHosts =
           [&adServers](bool report) { adServers.ReadLocalBanListAndUpdateHostsFile(report); },
       .setAllowControls = [&adServers](bool enabled) { adServers.SetAllowControls(enabled); },
       .readHosts = [&paths] { return quorlen::ReadTextFile(paths.sHostsFile); },
       .writeHosts =
           [&main](const std::string& text, std::string_view eol) {
             if (!main.Hosts().Write(text + std::string(eol))) {
               main.TellTrouble(std::string(quorlen::kHostsNotWritten) +
                                main.Hosts().LastFailure());
             }
           },
       .debugLog = [&main](const std::string& m) { main.DebugLog(m); },
       .waitCursor = [&dialogs](bool wait) { dialogs.SetWaitCursor(wait); },
       .refused = [](const std::string& refusal) { std::fprintf(stderr, "%s\n", refusal.c_str()); },
       .readOwnHosts = [&paths] { return quorlen::ReadTextFile(paths.HostsBackup()); },
       .machineNames = machineNames},
      QUORLEN_VENDOR_URL, *kListKey);
  updates = &updater;
  quorlen::VersionCheck versionCheck(
      fetcher, dialogs,
      {.A = c.A,
       .lblStatus = c.lblStatus,
       .txtProxyName = c.txtProxyName,
       .mnuVersion = c.mnuVersion,
       .cmdNew = c.cmdNew,
       .mnuTest = c.mnuTest,
       .cmdTestConn = c.cmdTestConn},
      {.loading = [&main] { return main.bLoading(); },
       .openAddress = [&main](const std::string& address) { main.Help().OpenPage(address); },
       .exitProgram = [&main] { main.mnuFileExit_Click(); }},
      {.vendorUrl = QUORLEN_VENDOR_URL, .ownVersion = quorlen::frmMain::ProgramVersion()});
  quorlen::frmExclude adServerEditor(
      main.Profiles(), dialogs, loop,
      {.defaultList = paths.sDefaultHostsList,
       .exclusionsList = paths.sExclusionsList,
       .userList = paths.sUserHostsList},
      {.lastBlockedServer = [&responder] { return responder.sLastBlockedServer(); },
       .getPickedRecord = [&main] { return main.getPickedRecord(); },
       .setPickedRecord = [&main](const std::string& record) { main.setPickedRecord(record); },
       .reloadAllowed = [&adServers] { adServers.LoadExclusions(); },
       .rebuildHosts =
           [&adServers](bool report) { adServers.ReadLocalBanListAndUpdateHostsFile(report); },
       .openPopupTitlesEditor = [&main] { main.ShowPopupTitles(); }});
  quorlen::ExcludeView adServerEditorView(adServerEditor);
  main.openAdServerEditor = [&adServerEditor] { adServerEditor.Show(); };
  quorlen::frmTestDomains domainTester(
      fetcher, loop, dialogs, desktop, main.Profiles(),
      {.defaultList = paths.sDefaultHostsList, .removalsList = paths.sRemovalsList},
      [&paths] { return SiteFolder(paths.sAppPath); });
  quorlen::TestDomainsView domainTesterView(domainTester);
  c.cmdTestDomains.onClick = [&domainTester] { domainTester.Show(); };
  quorlen::ProxySettings proxySettings(desktop, dialogs, c.txtProxyName, c.cmdGuessProxy2,
                                       c.lblStatus, [&main] { return main.bLoading(); });

  quorlen::SettingsWindowView settingsView(main);
  quorlen::StatsView statsView(main.Stats());
  quorlen::MessageView messageView(main.Message());
  quorlen::IEWhiteListView whiteListView(main.Popups().Editor());
  quorlen::PopupTitlesView popupTitlesView(main.PopupTitlesEditor());
  quorlen::LastBlockedView lastBlockedView(main.LastBlocked());
  quorlen::HelpView helpView(main.Help().Help());
  quorlen::FeedbackView feedbackView(main.Help().Feedback());
  quorlen::AboutView aboutView(main.Help().About());
  tray.SetMenu(settingsView.TrayMenu());

  QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&main] {
    char byte;
    [[maybe_unused]] auto got = ::read(signalPipe[0], &byte, 1);
    main.Unload(quorlen::unload_mode::kSessionEnd);
  });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                   [&main](QSessionManager&) { main.Unload(quorlen::unload_mode::kSessionEnd); });

  if (!main.Form_Load()) {
    // Another copy runs: it shows its settings window instead.
    quorlen::SettingsRequests::AskRunningCopy();
    return 0;
  }
  quorlen::SettingsRequests settingsRequests([&main] { main.Tray().ShowSettings(); });
  settingsRequests.Listen();
  updater.CountStart();
  if (main.Unloaded()) return 0;
  int code = app.exec();
  // Firefox keeps the remote session of a program that merely goes: it is ended first.
  firefox.FinishLeaving(2000);
  return code;
}
