// Quorlen: the composition root. It builds the real platform services, the main window's
// model and its views, and turns signals and the end of the desktop session into the
// program's orderly unload.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "forms/ad_server_blocker.h"
#include "forms/frm_main.h"
#include "platform/linux/linux_shell.h"
#include "platform/linux/linux_system.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_loop.h"
#include "platform/qt/qt_sockets.h"
#include "platform/qt/qt_sound.h"
#include "platform/qt/qt_tray.h"
#include "ui/menu_images.h"
#include "ui/settings_window_view.h"
#include "ui/small_windows_view.h"
#include "webserver/responder.h"

namespace {

int signalPipe[2] = {-1, -1};

// The hosts-file blocking switches the local web server through this.
class ResponderSwitch : public quorlen::WebServer {
 public:
  explicit ResponderSwitch(quorlen::Responder& responder) : responder_(responder) {}
  void StartWebServers() override { responder_.StartWebServers(); }
  void StopWebServer() override { responder_.StopWebServer(); }

 private:
  quorlen::Responder& responder_;
};

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

}  // namespace

int main(int argc, char** argv) {
  CatchEndingSignals();
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quorlen");
  QApplication::setQuitOnLastWindowClosed(false);

  quorlen::QtEventLoop loop;
  quorlen::QtDialogs dialogs;
  quorlen::LinuxSystemInfo system;
  quorlen::LinuxFirstStartRecord firstStart;
  quorlen::LinuxSingleInstance singleInstance;
  quorlen::QtTrayIcon tray(quorlen::ProgramIcon());
  quorlen::QtSound sound;
  quorlen::LinuxShell shell;

  quorlen::frmMain main({loop, dialogs, system, firstStart, singleInstance, tray, sound, shell});
  main.onQuit = Quit;

  quorlen::QtSocketFactory sockets;
  auto& c = main.Controls();
  quorlen::Responder responder(
      sockets, sound,
      {c.lbltype, c.lblpage, c.lblAllowServer, c.lblAllow1, c.mnuTrayAllow, c.chkBannerSound,
       c.txtBannerWav},
      {[&main](const std::string& m) { main.DebugLog(m); }, [&main] { return main.TimeStamp(); },
       [&main](const std::string& record) {
         if (main.cbAdServers) main.cbAdServers->PutItem(record);
       },
       [&main] { main.AddBlockedAd(false); }, [] {}},
      main.Paths().sAppPath);
  ResponderSwitch responderSwitch(responder);
  quorlen::AdServerBlocker adServers(main, responderSwitch);
  main.SetAdServerBlocking(&adServers);
  main.screenSize = [] {
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    return std::pair<int, int>{screen.width(), screen.height()};
  };

  quorlen::SettingsWindowView settingsView(main);
  quorlen::StatsView statsView(main.Stats());
  quorlen::MessageView messageView(main.Message());
  tray.SetMenu(settingsView.TrayMenu());

  QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&main] {
    char byte;
    [[maybe_unused]] auto got = ::read(signalPipe[0], &byte, 1);
    main.Unload(quorlen::unload_mode::kSessionEnd);
  });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                   [&main](QSessionManager&) { main.Unload(quorlen::unload_mode::kSessionEnd); });

  if (!main.Form_Load()) return 0;  // another copy runs: end silently
  if (!tray.Available()) {
    // The debug log is off at start, so the user hears of it here as well.
    std::fprintf(stderr, "Quorlen: this desktop has no system tray; the settings window "
                         "is minimised to the task bar instead of hidden.\n");
  }
  if (main.Unloaded()) return 0;
  return app.exec();
}
