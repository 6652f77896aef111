#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

#include "launcher/launcher_server.h"

namespace quorlen {

// Where a message of the browser goes: to the joined program, with `message` as it must
// reach it, or to the launcher itself (an answer of its own, an event of the pipe's own
// session); nowhere while no program is joined.
struct DevToolsRoute {
  bool toProgram = false;
  QByteArray message;
};

// The program's message as the browser must get it: a command of the program's top level
// goes to `session`, the program's own session with the browser; one to a page's session
// goes as it is. Nothing for a message that is no JSON object.
std::optional<QByteArray> ToBrowserSession(const QByteArray& message, const QString& session);
// A message of the browser, routed for the program whose session is `session` (empty while
// none is joined).
DevToolsRoute FromBrowserSession(const QByteArray& message, const QString& session);

// Keeps Chromium's remote-debugging pipe (fd 3 into the browser, fd 4 out of it) for the
// browser's whole life and serves it to the program over the launcher's socket. Each
// program that joins gets a session of its own with the browser, ended when it leaves,
// so that whatever it held (paused windows, held requests) goes on without it; while
// none is joined the pipe is read and nothing is asked.
class DevToolsRelay : public QObject {
  Q_OBJECT

 public:
  DevToolsRelay(int toBrowser, int fromBrowser, LauncherServer& server);
  ~DevToolsRelay() override;

  // Runs once the browser has answered its first command: it serves from then on.
  std::function<void()> ready;

 private:
  void OnReadable();
  void OnWritable();
  void WriteToBrowser(const QByteArray& message);
  // A command on the pipe's own session, with what to do with its answer.
  void Command(const QString& method, const QJsonObject& params,
               std::function<void(const QJsonObject& result)> answered);
  void OnBrowserMessage(const QByteArray& message);
  void OnJoined(MessageSocket* client);
  void OnLeft();

  int toBrowser_;
  int fromBrowser_;
  LauncherServer& server_;
  QSocketNotifier readable_;
  QSocketNotifier writable_;
  QByteArray outbox_;
  QByteArray inbox_;
  int nextId_ = 1;
  std::map<int, std::function<void(const QJsonObject&)>> answers_;
  MessageSocket* client_ = nullptr;
  QString session_;                 // the joined program's session with the browser
  std::deque<QByteArray> waiting_;  // the program's messages before its session is there
};

}  // namespace quorlen
