// How fast the program answers a browser that asks about a new window: a DevTools browser
// (Chromium, which holds the page until the answer) and a WebDriver BiDi browser (Firefox,
// where the window is announced before its first request) on loopback report 100 windows
// at once each, and time each answer. Each window comes as a browser sends it: the page's
// input listener tells of a press (the middle button, which allows nothing), the page asks
// for the window (in Firefox the listener tells of the ask), and the window arrives; the time runs
// from the press. Both are joined by one program in the same run. The floor of each is what the
// program sends for 100 messages it only lets pass, along the same socket, parser and event loop,
// without a decision: workers let run, and requests of a page let go.
//   popup_answer
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

#include "forms/frm_main.h"
#include "launcher/launcher_server.h"
#include "platform/fake/fake_browser.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_input.h"
#include "platform/fake/fake_privileges.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_sockets.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_tray.h"
#include "platform/fake/fake_window_system.h"
#include "platform/fake/recording_sound.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/scripted_fetch.h"
#include "platform/fake/virtual_clock.h"
#include "platform/linux/browser_set.h"
#include "platform/qt/chromium_browsers.h"
#include "platform/qt/firefox_browsers.h"
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
  QJsonObject message{
      {"method", "Target.attachedToTarget"},
      {"params",
       QJsonObject{{"sessionId", session}, {"targetInfo", info}, {"waitingForDebugger", waiting}}}};
  return QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

QString Compact(const QJsonObject& object);

// What the page's input listener tells: a press of the middle button.
const char* kMiddlePress =
    "{\"type\":\"mousedown\",\"button\":1,\"shift\":false,\"ctrl\":false,\"alt\":false}";

QString OnOpener(const QString& method, const QJsonObject& params) {
  return Compact({{"method", method}, {"sessionId", "opener"}, {"params", params}});
}

void SendText(quorlen::MessageSocket* socket, const QString& text) { socket->send(text.toUtf8()); }

QString Compact(const QJsonObject& object) {
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString Event(const QString& method, const QJsonObject& params) {
  return Compact({{"type", "event"}, {"method", method}, {"params", params}});
}

QString Created(const QString& context, const QString& opener) {
  return Event(
      "browsingContext.contextCreated",
      {{"context", context},
       {"url", "about:blank"},
       {"parent", QJsonValue::Null},
       {"originalOpener", opener.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(opener)}});
}

void Report(const char* what, std::vector<double> micros) {
  std::sort(micros.begin(), micros.end());
  auto at = [&](double share) {
    return micros[std::min(micros.size() - 1, static_cast<size_t>(share * micros.size()))];
  };
  std::printf("%-40s n=%zu  p50 %7.0f us  p90 %7.0f us  p99 %7.0f us  max %7.0f us\n", what,
              micros.size(), at(0.50), at(0.90), at(0.99), micros.back());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  namespace fs = std::filesystem;
  fs::path folder = fs::temp_directory_path() / ("quorlen-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder / "program");
  fs::create_directories(folder / "profile");
  fs::create_directories(folder / "firefox");
  std::FILE* image = std::fopen((folder / "program/1by1.jpg").c_str(), "wb");
  if (image) std::fclose(image);

  // The fake browser: every message it gets for a session is an answer to that session.
  QString error;
  quorlen::LauncherServer server;
  server.Listen(QString::fromStdString((folder / "run/chromium.sock").string()), &error);
  quorlen::MessageSocket* client = nullptr;
  QElapsedTimer clock;
  clock.start();
  std::map<QString, qint64> sent, answered;
  QObject::connect(
      &server, &quorlen::LauncherServer::joined, &server, [&](quorlen::MessageSocket* joined) {
        client = joined;
        QObject::connect(client, &quorlen::MessageSocket::messageReceived, client,
                         [&](const QByteArray& text) {
                           QString session =
                               QJsonDocument::fromJson(text).object().value("sessionId").toString();
                           if (!session.isEmpty() && answered.count(session) == 0)
                             answered[session] = clock.nsecsElapsed();
                         });
        client->send(QString(Attach("opener", "P", "", false)).toUtf8());
      });

  // The fake Firefox: it grants the session, answers every command, and notes when the
  // answer about each of its windows and requests arrives.
  quorlen::LauncherServer firefoxServer;
  firefoxServer.Listen(QString::fromStdString((folder / "run/firefox.sock").string()), &error);
  quorlen::MessageSocket* firefox = nullptr;
  std::map<QString, qint64> firefoxAnswered;
  QObject::connect(
      &firefoxServer, &quorlen::LauncherServer::joined, &firefoxServer,
      [&](quorlen::MessageSocket* joined) {
        firefox = joined;
        QObject::connect(
            firefox, &quorlen::MessageSocket::messageReceived, firefox,
            [&](const QByteArray& text) {
              QJsonObject command = QJsonDocument::fromJson(text).object();
              QString method = command.value("method").toString();
              QJsonObject params = command.value("params").toObject();
              if (method == "network.continueRequest")
                firefoxAnswered.emplace(params.value("request").toString(), clock.nsecsElapsed());
              if (method == "browsingContext.close")
                firefoxAnswered.emplace(params.value("context").toString(), clock.nsecsElapsed());
              QJsonObject result;
              if (method == "session.new") {
                result = {{"sessionId", "bench"},
                          {"capabilities",
                           QJsonObject{{"browserName", "firefox"}, {"browserVersion", "bench"}}}};
              }
              SendText(
                  firefox,
                  Compact({{"type", "success"}, {"id", command.value("id")}, {"result", result}}));
              if (method == "browsingContext.getTree") SendText(firefox, Created("FP", ""));
            });
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
  quorlen::FakeDesktop desktop;
  quorlen::ChromiumBrowsers chromium(
      {{(folder / "profile").string(), (folder / "run/chromium.sock").string()}}, 100);
  quorlen::FirefoxBrowsers firefoxes(
      {{(folder / "firefox").string(), (folder / "run/firefox.sock").string()}}, 100);
  quorlen::BrowserSet browsers({&chromium, &firefoxes});
  quorlen::FakePrivileges privileged(system.hostsFile);
  quorlen::FakeWindowSystem desk;
  quorlen::FakeNetwork network;
  quorlen::VirtualClock downloadClock;  // nothing is downloaded
  quorlen::ScriptedFetch http(downloadClock);
  quorlen::frmMain main({loop, dialogs, system, firstStart, singleInstance, tray, sound, shell,
                         input, browsers, desk, privileged, desktop, network, http});
  main.Form_Load();
  RunUntil([&] { return main.Popups().oIEWindows() && main.Popups().oIEWindows()->Count() == 2; },
           10000);
  if (!client || !firefox || main.Popups().oIEWindows()->Count() != 2) {
    std::fprintf(stderr, "the program did not join both bench browsers\n");
    return 1;
  }

  auto burst = [&](const QString& prefix, bool popups) {
    for (int i = 0; i < kBurst; ++i) {
      QString session = prefix + QString::number(i);
      sent[session] = clock.nsecsElapsed();
      if (popups) {
        SendText(client, OnOpener("Runtime.bindingCalled",
                                  {{"name", "quorlenInput"}, {"payload", kMiddlePress}}));
        SendText(client, OnOpener("Page.windowOpen", {{"url", ""}, {"userGesture", false}}));
      }
      SendText(client, Attach(session, prefix + "T" + QString::number(i), popups ? "P" : "", true,
                              popups ? "page" : "worker"));
    }
    RunUntil(
        [&] {
          for (int i = 0; i < kBurst; ++i) {
            if (answered.count(prefix + QString::number(i)) == 0) return false;
          }
          return true;
        },
        20000);
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

  // Firefox: requests of the page let go (the floor), then 100 windows the page asks for,
  // each cancelled; the answer is the close of the window.
  std::map<QString, qint64> firefoxSent;
  auto firefoxBurst = [&](const QString& prefix, bool windows) {
    for (int i = 0; i < kBurst; ++i) {
      QString id = prefix + QString::number(i);
      firefoxSent[id] = clock.nsecsElapsed();
      if (windows) {
        SendText(firefox, Event("script.message",
                                {{"channel", "quorlen-input"},
                                 {"data", QJsonObject{{"type", "string"}, {"value", kMiddlePress}}},
                                 {"source", QJsonObject{{"context", "FP"}}}}));
        // The page tells that it asks for the window, which the browser announces after.
        const QString asked =
            QString("{\"type\":\"open\",\"at\":%1}").arg(QDateTime::currentMSecsSinceEpoch());
        SendText(firefox, Event("script.message",
                                {{"channel", "quorlen-input"},
                                 {"data", QJsonObject{{"type", "string"}, {"value", asked}}},
                                 {"source", QJsonObject{{"context", "FP"}}}}));
        SendText(firefox, Created(id, "FP"));
      } else {
        SendText(firefox, Event("network.beforeRequestSent",
                                {{"context", "FP"},
                                 {"isBlocked", true},
                                 {"request", QJsonObject{{"request", id},
                                                         {"url", "http://page.example/" + id}}}}));
      }
    }
    RunUntil(
        [&] {
          for (int i = 0; i < kBurst; ++i) {
            if (firefoxAnswered.count(prefix + QString::number(i)) == 0) return false;
          }
          return true;
        },
        20000);
    std::vector<double> micros;
    for (int i = 0; i < kBurst; ++i) {
      QString id = prefix + QString::number(i);
      if (firefoxAnswered.count(id))
        micros.push_back((firefoxAnswered[id] - firefoxSent[id]) / 1000.0);
    }
    return micros;
  };
  int chromiumBlocked = main.Options().nBlockedToday;
  RunUntil([] { return false; }, 300);
  auto requestFloor = firefoxBurst("request", false);
  RunUntil([] { return false; }, 300);
  auto firefoxPopups = firefoxBurst("popup", true);

  Report("Chromium: worker, let run (floor)", floor);
  Report("Chromium: popup, decided and answered", popups);
  Report("Firefox: request, let go (floor)", requestFloor);
  Report("Firefox: popup, decided and closed", firefoxPopups);
  std::printf("popups counted as blocked: Chromium %d of %d, Firefox %d of %d\n", chromiumBlocked,
              kBurst, main.Options().nBlockedToday - chromiumBlocked, kBurst);
  fs::remove_all(folder);
  return popups.size() == kBurst && firefoxPopups.size() == kBurst ? 0 : 1;
}
