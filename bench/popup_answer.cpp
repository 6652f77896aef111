// How fast the program answers a browser that asks about a new window while it holds the
// page: a DevTools browser on loopback reports 100 windows at once and times each answer.
// The floor in the same run is the answer to 100 workers the program only lets run, along
// the same socket, parser and event loop, without a decision.
//   popup_answer
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>
#include <QWebSocketServer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "forms/frm_main.h"
#include "platform/fake/fake_browser.h"
#include "platform/fake/fake_input.h"
#include "platform/fake/fake_privileges.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_tray.h"
#include "platform/fake/fake_window_system.h"
#include "platform/fake/recording_sound.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/qt/chromium_browsers.h"
#include "platform/qt/qt_event_loop.h"

namespace {

constexpr int kBurst = 100;

void RunUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

QString Attach(const QString& session, const QString& target, const QString& opener, bool waiting,
               const QString& type = "page") {
  QJsonObject info{{"targetId", target}, {"type", type}, {"url", ""}, {"title", ""}};
  if (!opener.isEmpty()) info.insert("openerId", opener);
  QJsonObject message{{"method", "Target.attachedToTarget"},
                      {"params", QJsonObject{{"sessionId", session},
                                             {"targetInfo", info},
                                             {"waitingForDebugger", waiting}}}};
  return QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

void Report(const char* what, std::vector<double> micros) {
  std::sort(micros.begin(), micros.end());
  auto at = [&](double share) {
    return micros[std::min(micros.size() - 1, static_cast<size_t>(share * micros.size()))];
  };
  std::printf("%-34s n=%zu  p50 %7.0f us  p90 %7.0f us  p99 %7.0f us  max %7.0f us\n", what,
              micros.size(), at(0.50), at(0.90), at(0.99), micros.back());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  namespace fs = std::filesystem;
  fs::path folder = fs::temp_directory_path() / ("quorlen-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder / "program");
  fs::create_directories(folder / "profile");
  std::FILE* image = std::fopen((folder / "program/1by1.jpg").c_str(), "wb");
  if (image) std::fclose(image);

  // The fake browser: every message it gets for a session is an answer to that session.
  QWebSocketServer server("bench browser", QWebSocketServer::NonSecureMode);
  server.listen(QHostAddress::LocalHost, 0);
  {
    std::FILE* port = std::fopen((folder / "profile/DevToolsActivePort").c_str(), "w");
    std::fprintf(port, "%d\n/devtools/browser/bench\n", server.serverPort());
    std::fclose(port);
  }
  QWebSocket* client = nullptr;
  QElapsedTimer clock;
  clock.start();
  std::map<QString, qint64> sent, answered;
  QObject::connect(&server, &QWebSocketServer::newConnection, &server, [&] {
    client = server.nextPendingConnection();
    QObject::connect(client, &QWebSocket::textMessageReceived, client, [&](const QString& text) {
      QString session = QJsonDocument::fromJson(text.toUtf8()).object().value("sessionId").toString();
      if (!session.isEmpty() && answered.count(session) == 0) answered[session] = clock.nsecsElapsed();
    });
    client->sendTextMessage(Attach("opener", "P", "", false));
  });

  quorlen::QtEventLoop loop;
  quorlen::ScriptedDialogs dialogs;
  quorlen::FakeSystemInfo system;
  system.programFile = (folder / "program/quorlen").string();
  system.hostsFile = (folder / "hosts").string();
  quorlen::FakeFirstStartRecord firstStart;
  firstStart.startedBefore = true;
  quorlen::FakeSingleInstance singleInstance;
  quorlen::FakeTrayIcon tray;
  quorlen::RecordingSound sound;
  quorlen::FakeShell shell;
  quorlen::FakeInput input;
  quorlen::ChromiumBrowsers browsers({(folder / "profile").string()}, 100);
  quorlen::FakePrivileges privileged(system.hostsFile);
  quorlen::FakeWindowSystem desk;
  quorlen::frmMain main({loop, dialogs, system, firstStart, singleInstance, tray, sound, shell,
                         input, browsers, desk, privileged});
  main.Form_Load();
  RunUntil([&] { return main.Popups().oIEWindows() && main.Popups().oIEWindows()->Count() == 1; },
           10000);
  if (!client || main.Popups().oIEWindows()->Count() != 1) {
    std::fprintf(stderr, "the program did not join the bench browser\n");
    return 1;
  }

  auto burst = [&](const QString& prefix, bool popups) {
    for (int i = 0; i < kBurst; ++i) {
      QString session = prefix + QString::number(i);
      sent[session] = clock.nsecsElapsed();
      client->sendTextMessage(Attach(session, prefix + "T" + QString::number(i),
                                     popups ? "P" : "", true, popups ? "page" : "worker"));
    }
    RunUntil([&] {
      for (int i = 0; i < kBurst; ++i) {
        if (answered.count(prefix + QString::number(i)) == 0) return false;
      }
      return true;
    }, 20000);
    std::vector<double> micros;
    for (int i = 0; i < kBurst; ++i) {
      QString session = prefix + QString::number(i);
      if (answered.count(session)) micros.push_back((answered[session] - sent[session]) / 1000.0);
    }
    return micros;
  };
  // Workers first (the floor), then 100 popups at once, all cancelled.
  auto floor = burst("worker", false);
  RunUntil([] { return false; }, 300);
  auto popups = burst("popup", true);
  Report("worker, let run (floor)", floor);
  Report("popup, decided and answered", popups);
  std::printf("popups counted as blocked: %d of %d\n", main.Options().nBlockedToday, kBurst);
  fs::remove_all(folder);
  return popups.size() == kBurst ? 0 : 1;
}
