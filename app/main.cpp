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
#include <memory>
#include <string>

#include "forms/frm_main.h"
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
#include "update/site_signature.h"

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
  // Ports 80 and 443 need privileges: their listening sockets come from the privileged
  // operations.
  quorlen::LoopbackSocketFactory sockets([&privileged](int port) {
    if (port == 80) return privileged->ListenOnPort80();
    if (port == 443) return privileged->ListenOnPort443();
    return quorlen::LoopbackSocketFactory::BindLoopback(port);
  });
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
       .desktop = desktop,
       .sockets = sockets,
       .http = http},
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
           },
       .releaseMemory = [] { ::malloc_trim(0); }},
      {.addresses = {.vendor = QUORLEN_VENDOR_URL, .maker = QUORLEN_MAKER_URL},
       .listKey = *kListKey});
  chromium.log = [&main](const std::string& message) {
    main.DebugLog("# " + message);
    qCInfo(lcBrowsers).noquote() << QString::fromStdString(message);
  };
  firefox.log = chromium.log;

  quorlen::ExcludeView adServerEditorView(main.AdServerEditor());
  quorlen::TestDomainsView domainTesterView(main.DomainTester());
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
  main.Updates().CountStart();
  if (main.Unloaded()) return 0;
  int code = app.exec();
  // Firefox keeps the remote session of a program that merely goes: it is ended first.
  firefox.FinishLeaving(2000);
  return code;
}
