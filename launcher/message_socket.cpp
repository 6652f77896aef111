#include "launcher/message_socket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QPointer>

namespace quorlen {

long PeerUid(qintptr descriptor) {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
    return -1;
  }
  return static_cast<long>(peer.uid);
}

MessageSocket::MessageSocket(QObject* parent) : QObject(parent), socket_(new QLocalSocket(this)) {
  Attach();
  connect(socket_, &QLocalSocket::connected, this, [this] {
    // The folder is the user's own, but the other end is asked all the same.
    if (PeerUid(socket_->socketDescriptor()) != static_cast<long>(::getuid())) {
      abort();
      emit errorOccurred();
      return;
    }
    emit connected();
  });
}

MessageSocket::MessageSocket(QLocalSocket* accepted, QObject* parent)
    : QObject(parent), socket_(accepted) {
  socket_->setParent(this);
  Attach();
}

void MessageSocket::Attach() {
  connect(socket_, &QLocalSocket::readyRead, this, [this] { OnReadable(); });
  connect(socket_, &QLocalSocket::disconnected, this, &MessageSocket::disconnected);
  connect(socket_, &QLocalSocket::errorOccurred, this, [this] {
    if (socket_->state() != QLocalSocket::ConnectedState) emit errorOccurred();
  });
}

void MessageSocket::open(const QString& path) {
  // A refusal comes from inside connectToServer: it is told once the caller has returned.
  QMetaObject::invokeMethod(
      this, [this, path] { socket_->connectToServer(path); }, Qt::QueuedConnection);
}

void MessageSocket::send(const QByteArray& message) {
  if (socket_->state() != QLocalSocket::ConnectedState) return;
  socket_->write(message);
  socket_->write("", 1);
}

void MessageSocket::close() { socket_->disconnectFromServer(); }

void MessageSocket::abort() { socket_->abort(); }

void MessageSocket::OnReadable() {
  // The socket may be dropped from inside a handler of a message: the rest waits for nothing.
  QPointer<QLocalSocket> alive(socket_);
  received_.append(socket_->readAll());
  qsizetype start = 0;
  for (qsizetype end; alive && (end = received_.indexOf('\0', start)) >= 0; start = end + 1) {
    emit messageReceived(received_.mid(start, end - start));
  }
  if (!alive) return;
  received_.remove(0, start);
  if (received_.size() > kMaxMessage) {
    received_.clear();
    socket_->abort();
  }
}

}  // namespace quorlen
