#pragma once

#include <QByteArray>
#include <QLocalSocket>
#include <QObject>
#include <QString>

namespace quorlen {

// The user id at the other end of a connected local socket, or -1.
long PeerUid(qintptr descriptor);

// A local socket that carries whole messages, each ended by a NUL byte, as a browser's
// remote-debugging pipe does. It talks only to a peer of this same user: a connection
// whose other end belongs to anyone else is dropped before a byte goes either way.
class MessageSocket : public QObject {
  Q_OBJECT

 public:
  explicit MessageSocket(QObject* parent = nullptr);
  // A connection a server accepted; its peer has been checked.
  MessageSocket(QLocalSocket* accepted, QObject* parent);

  // Connects to the socket at `path`; `connected` or `errorOccurred` follows.
  void open(const QString& path);
  void send(const QByteArray& message);
  // Closes once what was sent has gone.
  void close();
  void abort();

  // No message is longer: a peer that sends more without an end is dropped.
  static constexpr qint64 kMaxMessage = 64 * 1024 * 1024;

 signals:
  void connected();
  void messageReceived(const QByteArray& message);
  void disconnected();
  void errorOccurred();

 private:
  void Attach();
  void OnReadable();

  QLocalSocket* socket_;
  QByteArray received_;
};

}  // namespace quorlen
