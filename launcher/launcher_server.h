#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>

#include "launcher/message_socket.h"

namespace quorlen {

// The launcher's listening socket in the user's runtime folder. It serves one program of
// this user at a time; a connection from anyone else is refused and told of on the error
// output, and so is a second one while a program is joined.
class LauncherServer : public QObject {
  Q_OBJECT

 public:
  explicit LauncherServer(QObject* parent = nullptr);
  ~LauncherServer() override;

  // Whether a launcher serves at `path` already (the browser it started runs).
  static bool Serving(const QString& path);
  // Makes the socket's folder (this user's alone) and listens at `path`; false, with the
  // reason in `error`, otherwise.
  bool Listen(const QString& path, QString* error);
  // Stops listening and takes the socket file away.
  void Stop();
  MessageSocket* Client() const { return client_; }

 signals:
  void joined(MessageSocket* client);
  // The program let go or went away; its socket goes once this has returned.
  void left();

 private:
  void OnConnection();

  QLocalServer server_;
  QString path_;
  MessageSocket* client_ = nullptr;
};

}  // namespace quorlen
