// quorlen-browser: starts the system's Chromium (or, with --firefox, Firefox) with
// Quorlen's own browser profile and keeps the browser's remote control for the browser's
// whole life, serving it to Quorlen over a socket that only this user can reach, so that
// Quorlen can follow its windows and cancel the windows that pages open by themselves.
// Options and addresses given are passed on.
//   quorlen-browser [--firefox] [options] [addresses]
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "launcher/bidi_relay.h"
#include "launcher/devtools_relay.h"
#include "launcher/firefox_profile.h"
#include "launcher/paths.h"

namespace {

using quorlen::BiDiRelay;
using quorlen::DevToolsRelay;
using quorlen::LauncherServer;

int stopPipe[2] = {-1, -1};
// Set once the launcher was told to end: the browser's going is no failure then.
bool stopping = false;

void OnStop(int) {
  char signal = 1;
  (void)!::write(stopPipe[1], &signal, 1);
}

void Say(const QString& text) { std::fprintf(stderr, "quorlen-browser: %s\n", qPrintable(text)); }

QString FindBrowser(const QStringList& names) {
  for (const QString& name : names) {
    QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty()) return found;
  }
  return {};
}

// Runs the browser in place of the launcher, followed by nobody: a second start of a
// profile, which hands its addresses to the browser that runs it, or a session without a
// runtime folder.
[[noreturn]] void RunUnfollowed(const QString& browser, const QStringList& args) {
  std::vector<std::string> strings{browser.toStdString()};
  for (const QString& arg : args) strings.push_back(arg.toStdString());
  std::vector<char*> argv;
  for (auto& text : strings) argv.push_back(text.data());
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  Say("cannot start " + browser);
  std::exit(127);
}

// A descriptor above the ones the browser is given, so that neither is closed by the
// other's move into place.
int High(int fd) {
  int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
  ::close(fd);
  return moved;
}

// Ends the browser when the launcher is told to end, and the launcher when the browser has.
void Supervise(QCoreApplication& app, QProcess& browser, LauncherServer& server) {
  if (::pipe2(stopPipe, O_CLOEXEC) == 0) {
    auto* stop = new QSocketNotifier(stopPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(stop, &QSocketNotifier::activated, &app, [&browser] {
      char signal;
      (void)!::read(stopPipe[0], &signal, 1);
      stopping = true;
      browser.terminate();
      QTimer::singleShot(10000, &browser, [&browser] { browser.kill(); });
    });
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) std::signal(signal, OnStop);
  }
  QObject::connect(&browser, &QProcess::finished, &app,
                   [&app, &server](int code, QProcess::ExitStatus status) {
                     server.Stop();
                     app.exit(status == QProcess::NormalExit ? code : 1);
                   });
}

void DieWithLauncher() {
  // A browser whose launcher has gone would be left with nobody holding its control.
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
}

int RunChromium(QCoreApplication& app, QStringList args) {
  QString browser = FindBrowser({"chromium", "chromium-browser"});
  if (browser.isEmpty()) {
    Say("Chromium is not installed (install the package chromium).");
    return 1;
  }
  QString profile = QString::fromStdString(quorlen::LauncherProfileFolder("chromium"));
  QDir().mkpath(profile);
  // Quorlen decides which windows open, so the browser's own popup blocker stays out of
  // the way. Chromium refuses to run as root without leaving its sandbox.
  QStringList own{"--user-data-dir=" + profile, "--disable-popup-blocking"};
  if (::getuid() == 0) own << "--no-sandbox";
  QString socket = QString::fromStdString(quorlen::LauncherSocketPath("chromium"));
  if (socket.isEmpty()) {
    Say("XDG_RUNTIME_DIR is not set, so Quorlen cannot follow this browser.");
    RunUnfollowed(browser, own + args);
  }
  if (LauncherServer::Serving(socket)) RunUnfollowed(browser, own + args);

  int in[2], out[2];  // into the browser (its fd 3), out of it (its fd 4)
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return 1;
  for (int* fd : {&in[0], &in[1], &out[0], &out[1]}) *fd = High(*fd);
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.setInputChannelMode(QProcess::ForwardedInputChannel);
  process.setChildProcessModifier([in, out] {
    ::dup2(in[0], 3);
    ::dup2(out[1], 4);
    DieWithLauncher();
  });
  process.start(browser, own + QStringList{"--remote-debugging-pipe"} + args);
  ::close(in[0]);
  ::close(out[1]);
  if (!process.waitForStarted()) {
    Say("cannot start " + browser);
    return 127;
  }
  LauncherServer server;
  DevToolsRelay relay(in[1], out[0], server);
  relay.ready = [&server, socket] {
    QString error;
    if (!server.Listen(socket, &error)) Say("Quorlen cannot follow this browser: " + error);
  };
  Supervise(app, process, server);
  return app.exec();
}

int RunFirefox(QCoreApplication& app, QStringList args) {
  QString browser = FindBrowser({"firefox-esr", "firefox"});
  if (browser.isEmpty()) {
    Say("Firefox is not installed (install the package firefox-esr).");
    return 1;
  }
  QString profile = QString::fromStdString(quorlen::LauncherProfileFolder("firefox"));
  quorlen::WriteFirefoxPreferences(profile.toStdString());
  QString socket = QString::fromStdString(quorlen::LauncherSocketPath("firefox"));
  if (socket.isEmpty()) {
    Say("XDG_RUNTIME_DIR is not set, so Quorlen cannot follow this browser.");
    RunUnfollowed(browser, QStringList{"--profile", profile} + args);
  }
  if (LauncherServer::Serving(socket))
    RunUnfollowed(browser, QStringList{"--profile", profile} + args);

  // The pages asked for wait until the session is held: the browser starts on a blank
  // page then, or on its own home page when none is asked for.
  QStringList options, addresses;
  for (const QString& arg : args) (arg.startsWith('-') ? options : addresses) << arg;
  QString portFile = profile + "/WebDriverBiDiServer.json";
  QFile::remove(portFile);  // the file of an earlier start
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  process.setInputChannelMode(QProcess::ForwardedInputChannel);
  process.setChildProcessModifier([] { DieWithLauncher(); });
  // Port 0: the browser takes a free loopback port and writes it into the profile.
  process.start(browser, QStringList{"--profile", profile, "--remote-debugging-port=0"} + options +
                             (addresses.isEmpty() ? QStringList{} : QStringList{"about:blank"}));
  if (!process.waitForStarted()) {
    Say("cannot start " + browser);
    return 127;
  }
  LauncherServer server;
  BiDiRelay relay(server);
  int failure = 0;
  relay.ready = [&] {
    QString error;
    if (!server.Listen(socket, &error)) Say("Quorlen cannot follow this browser: " + error);
    relay.OpenPages(addresses);
  };
  relay.failed = [&](const QString& why) {
    if (failure || stopping) return;
    failure = 1;
    Say(why + "; Firefox is stopped, since it could be controlled by anyone otherwise.");
    server.Stop();
    process.terminate();
  };
  // The session is asked for the moment the port is known.
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, &app, [&] {
    QFile file(portFile);
    if (!file.open(QIODevice::ReadOnly)) return;
    QJsonObject listening = QJsonDocument::fromJson(file.readAll()).object();
    int port = listening.value("ws_port").toInt(0);
    if (port <= 0 || port > 65535) return;
    poll.stop();
    relay.Open(QUrl(QString("ws://127.0.0.1:%1/session").arg(port)));
  });
  poll.start();
  Supervise(app, process, server);
  int code = app.exec();
  return failure ? failure : code;
}

}  // namespace

int main(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  QCoreApplication app(argc, argv);
  if (!args.isEmpty() && args.first() == "--firefox") {
    args.removeFirst();
    return RunFirefox(app, args);
  }
  return RunChromium(app, args);
}
