#include "platform/qt/settings_requests.h"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>

namespace quorlen {

namespace {

constexpr char kShowSettings[] = "show settings\n";

}  // namespace

SettingsRequests::SettingsRequests(std::function<void()> showSettings)
    : showSettings_(std::move(showSettings)) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* caller = server_.nextPendingConnection()) {
      QObject::connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
      QObject::connect(caller, &QLocalSocket::readyRead, caller, [this, caller] {
        if (!caller->canReadLine()) return;
        if (caller->readLine(64) == kShowSettings && showSettings_) showSettings_();
        caller->disconnectFromServer();
      });
    }
  });
}

QString SettingsRequests::SocketName() {
  QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime + "/quorlen-settings";
  return QDir::tempPath() + "/quorlen-settings-" + QString::number(::getuid());
}

bool SettingsRequests::Listen() {
  // The single-instance check has passed: a socket of that name is a dead copy's.
  QLocalServer::removeServer(SocketName());
  return server_.listen(SocketName());
}

bool SettingsRequests::AskRunningCopy() {
  QLocalSocket socket;
  socket.connectToServer(SocketName());
  if (!socket.waitForConnected(1000)) return false;
  socket.write(kShowSettings);
  bool sent = socket.waitForBytesWritten(1000);
  socket.disconnectFromServer();
  return sent;
}

}  // namespace quorlen
