#include "platform/qt/qt_sockets.h"

#include <unistd.h>

#include <QObject>
#include <limits>
#include <vector>

namespace quorlen {

namespace {

class QtListenSocket : public ListenSocket {
 public:
  QtListenSocket(QHostAddress address, std::shared_ptr<QtSocketFactory::Pending> pending,
                 PrivilegedOperations* privileged)
      : address_(std::move(address)), pending_(std::move(pending)), privileged_(privileged) {}
  void Close() override { servers_.clear(); }
  void SetLocalPort(int port) override { port_ = port; }
  bool Listen() override {
    failure_.clear();
    // Port 80 needs privileges: listening sockets come from the privileged operations.
    if (privileged_ != nullptr && port_ == 80) return Adopt(privileged_->ListenOnPort80());
    auto server = NewServer();
    if (!server->listen(address_, static_cast<quint16>(port_))) {
      failure_ = "port " + std::to_string(port_) + ": " + server->errorString().toStdString();
      return false;
    }
    servers_.push_back(std::move(server));
    return true;
  }
  std::string FailureReason() const override { return failure_; }
  int State() const override {
    for (const auto& server : servers_) {
      if (server->isListening()) return socket_state::kListening;
    }
    return socket_state::kClosed;
  }

 private:
  std::unique_ptr<QTcpServer> NewServer() {
    auto server = std::make_unique<QTcpServer>();
    QTcpServer* raw = server.get();
    QObject::connect(raw, &QTcpServer::newConnection, [this, raw] { Announce(*raw); });
    return server;
  }

  bool Adopt(const PrivilegedOperations::Listeners& listeners) {
    for (int descriptor : listeners.descriptors) {
      auto server = NewServer();
      if (server->setSocketDescriptor(descriptor)) {
        servers_.push_back(std::move(server));
      } else {
        ::close(descriptor);
      }
    }
    if (servers_.empty()) {
      failure_ = listeners.error.empty() ? "the listening sockets could not be used"
                                         : listeners.error;
    }
    return !servers_.empty();
  }

  void Announce(QTcpServer& server) {
    while (QTcpSocket* socket = server.nextPendingConnection()) {
      const std::int32_t id = pending_->next;
      pending_->next = id == std::numeric_limits<std::int32_t>::max() ? 1 : id + 1;
      pending_->sockets.insert(id, socket);
      socket->setParent(nullptr);
      if (onConnectionRequest) onConnectionRequest(id);
      // Not taken by any slot: the connection is refused.
      if (QPointer<QTcpSocket> left = pending_->sockets.take(id)) {
        left->abort();
        left->deleteLater();
      }
    }
  }

  QHostAddress address_;
  std::shared_ptr<QtSocketFactory::Pending> pending_;
  PrivilegedOperations* privileged_;
  std::vector<std::unique_ptr<QTcpServer>> servers_;
  std::string failure_;
  int port_ = 0;
};

class QtConnectionSocket : public ConnectionSocket {
 public:
  explicit QtConnectionSocket(std::shared_ptr<QtSocketFactory::Pending> pending)
      : pending_(std::move(pending)) {}
  ~QtConnectionSocket() override { Close(); }

  int State() const override {
    if (!socket_) return socket_state::kClosed;
    switch (socket_->state()) {
      case QAbstractSocket::ConnectedState:
        return socket_state::kConnected;
      case QAbstractSocket::ClosingState:
      case QAbstractSocket::UnconnectedState:
        // The browser has gone; the slot is busy until the program closes it.
        return socket_->error() == QAbstractSocket::RemoteHostClosedError ||
                       socket_->error() == QAbstractSocket::UnknownSocketError
                   ? socket_state::kClosing
                   : socket_state::kError;
      default:
        return socket_state::kConnected;
    }
  }

  void Close() override {
    if (!socket_) return;
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    QObject::disconnect(socket, nullptr, nullptr, nullptr);
    socket->close();
    socket->deleteLater();
  }

  bool Accept(std::int32_t requestId) override {
    QPointer<QTcpSocket> socket = pending_->sockets.take(requestId);
    if (!socket) return false;
    Close();
    socket_ = socket;
    QObject::connect(socket_, &QTcpSocket::readyRead, socket_, [this] {
      if (socket_ && onDataArrival)
        onDataArrival(static_cast<std::int32_t>(socket_->bytesAvailable()));
    });
    QObject::connect(socket_, &QTcpSocket::bytesWritten, socket_, [this](qint64) {
      if (socket_ && socket_->bytesToWrite() == 0 && onSendComplete) onSendComplete();
    });
    // Data that came with the connection is announced once the slot owns it.
    if (socket_->bytesAvailable() > 0) {
      QMetaObject::invokeMethod(
          socket_,
          [this] {
            if (socket_ && socket_->bytesAvailable() > 0 && onDataArrival)
              onDataArrival(static_cast<std::int32_t>(socket_->bytesAvailable()));
          },
          Qt::QueuedConnection);
    }
    return true;
  }

  std::string GetData() override {
    if (!socket_) return {};
    QByteArray bytes = socket_->readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
  }

  void SendData(const std::string& bytes) override {
    if (!socket_) return;
    if (bytes.empty()) {
      // Nothing to send still completes, so the slot is closed and freed.
      QMetaObject::invokeMethod(
          socket_,
          [this] {
            if (socket_ && onSendComplete) onSendComplete();
          },
          Qt::QueuedConnection);
      return;
    }
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

 private:
  std::shared_ptr<QtSocketFactory::Pending> pending_;
  QTcpSocket* socket_ = nullptr;
};

}  // namespace

QtSocketFactory::QtSocketFactory(QHostAddress listenAddress, PrivilegedOperations* privileged)
    : listenAddress_(std::move(listenAddress)),
      privileged_(privileged),
      pending_(std::make_shared<Pending>()) {}
QtSocketFactory::~QtSocketFactory() = default;

std::unique_ptr<ListenSocket> QtSocketFactory::CreateListener() {
  return std::make_unique<QtListenSocket>(listenAddress_, pending_, privileged_);
}

std::unique_ptr<ConnectionSocket> QtSocketFactory::CreateConnection() {
  return std::make_unique<QtConnectionSocket>(pending_);
}

}  // namespace quorlen
