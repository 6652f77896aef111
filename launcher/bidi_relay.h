#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QWebSocket>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "launcher/launcher_server.h"

namespace quorlen {

// What a program set up in the launcher's session, so that it goes when the program does:
// its subscriptions, intercepts and preload scripts, learnt from the browser's answers.
class BiDiProgramState {
 public:
  // A command of the program on its way to the browser.
  void Sent(const QJsonObject& command);
  // The browser's answer to a command of the program.
  void Answered(const QJsonObject& answer);
  // The commands that take back all the program set up; the state is empty then.
  std::vector<QJsonObject> TakeBack();

 private:
  std::map<double, QString> pending_;  // command id -> method, for those that set up
  std::set<QString> subscriptions_;
  std::set<QString> intercepts_;
  std::set<QString> scripts_;
};

// Holds Firefox's one WebDriver BiDi session for the browser's whole life and serves it
// to the program over the launcher's socket. The program's "session.new" and
// "session.end" are answered here, and whatever it set up is taken back when it ends or
// goes away, so the session is never let go: nobody else can take it, on the port the
// browser listens on, while the browser runs.
class BiDiRelay : public QObject {
  Q_OBJECT

 public:
  explicit BiDiRelay(LauncherServer& server);

  // Connects to the browser at `url` and asks for the session.
  void Open(const QUrl& url);
  // Opens `addresses` in the browser: the first in its first tab, the rest in new tabs.
  void OpenPages(const QStringList& addresses);

  std::function<void()> ready;  // the session is held
  // The session was refused (another client took it first) or lost: the browser must go.
  std::function<void(const QString& why)> failed;

 private:
  using Answer = std::function<void(const QJsonObject& message)>;
  void Command(const QString& method, const QJsonObject& params, Answer answer = {});
  void OnBrowserMessage(const QString& text);
  void OnProgramMessage(const QByteArray& message);
  void OnLeft();
  void Reply(const QJsonValue& id, const QJsonObject& result);

  LauncherServer& server_;
  QWebSocket socket_;
  bool held_ = false;
  QJsonObject session_;  // the answer to the launcher's session.new
  // The launcher's own command ids, far above any the program uses.
  double nextId_ = 1099511627776.0;
  std::map<double, Answer> answers_;
  MessageSocket* client_ = nullptr;
  BiDiProgramState state_;
};

}  // namespace quorlen
