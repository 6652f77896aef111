#include "launcher/launcher_server.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quorlen {

namespace {

// The folder of the socket exists as this user's own, entered by nobody else.
bool MakePrivateFolder(const QString& folder, QString* error) {
  QByteArray path = QFile::encodeName(folder);
  if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
    *error = folder + ": " + QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  struct stat info {};
  if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
      info.st_uid != ::getuid() || (info.st_mode & 077) != 0) {
    *error = folder + " is not a folder of this user's alone";
    return false;
  }
  return true;
}

}  // namespace

LauncherServer::LauncherServer(QObject* parent) : QObject(parent) {
  // Only the user may even connect; the peer is checked all the same.
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, [this] { OnConnection(); });
}

LauncherServer::~LauncherServer() { Stop(); }

bool LauncherServer::Serving(const QString& path) {
  QLocalSocket probe;
  probe.connectToServer(path);
  return probe.waitForConnected(1000);
}

bool LauncherServer::Listen(const QString& path, QString* error) {
  if (!MakePrivateFolder(QFileInfo(path).path(), error)) return false;
  QLocalServer::removeServer(path);  // a socket left by a launcher that was killed
  if (!server_.listen(path)) {
    *error = path + ": " + server_.errorString();
    return false;
  }
  path_ = path;
  return true;
}

void LauncherServer::Stop() {
  if (path_.isEmpty()) return;
  server_.close();
  QFile::remove(path_);
  path_.clear();
}

void LauncherServer::OnConnection() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    long uid = PeerUid(socket->socketDescriptor());
    if (uid != static_cast<long>(::getuid())) {
      std::fprintf(stderr, "quorlen-browser: refused a connection from user %ld\n", uid);
      socket->abort();
      socket->deleteLater();
      continue;
    }
    if (client_ != nullptr) {
      std::fprintf(stderr, "quorlen-browser: refused a second program; one follows the browser\n");
      socket->abort();
      socket->deleteLater();
      continue;
    }
    client_ = new MessageSocket(socket, this);
    connect(client_, &MessageSocket::disconnected, this, [this] {
      MessageSocket* gone = client_;
      client_ = nullptr;
      emit left();
      gone->deleteLater();
    });
    emit joined(client_);
  }
}

}  // namespace quorlen
