#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace quorlen {

// TCP sockets as the program's socket controls offer them: a listener that announces
// each incoming connection by a request number, and connection sockets that accept one
// such request, report arriving data, send, and report when a send has gone out. Every
// event arrives on the user-interface thread.

namespace socket_state {
inline constexpr int kClosed = 0;
inline constexpr int kListening = 2;
inline constexpr int kConnected = 7;
inline constexpr int kClosing = 8;  // the peer has closed; the socket is not free yet
inline constexpr int kError = 9;
}  // namespace socket_state

class ListenSocket {
 public:
  virtual ~ListenSocket() = default;
  virtual void Close() = 0;
  virtual void SetLocalPort(int port) = 0;
  // Listens on the port. A port in use or a missing privilege fails quietly; the reason
  // is kept for FailureReason.
  virtual bool Listen() = 0;
  // Why the last Listen failed, in words, naming the port's holder when the system tells.
  virtual std::string FailureReason() const = 0;
  virtual int State() const = 0;

  // A connection waits to be accepted. One not accepted before the handler returns is
  // dropped.
  std::function<void(std::int32_t requestId)> onConnectionRequest;
};

class ConnectionSocket {
 public:
  virtual ~ConnectionSocket() = default;
  virtual int State() const = 0;
  virtual void Close() = 0;
  // Takes over the waiting connection; false when it was already taken or dropped.
  virtual bool Accept(std::int32_t requestId) = 0;
  // Everything that has arrived since the last read.
  virtual std::string GetData() = 0;
  virtual void SendData(const std::string& bytes) = 0;

  std::function<void(std::int32_t bytesTotal)> onDataArrival;
  std::function<void()> onSendComplete;
};

class SocketFactory {
 public:
  virtual ~SocketFactory() = default;
  virtual std::unique_ptr<ListenSocket> CreateListener() = 0;
  virtual std::unique_ptr<ConnectionSocket> CreateConnection() = 0;
};

}  // namespace quorlen
