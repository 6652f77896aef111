#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sockets.h"
#include "webserver/client_hello.h"
#include "webserver/request.h"

namespace quorlen {

// The kind caption of a blocked HTTPS request.
inline constexpr std::string_view kHttpsKind = "HTTPS Ad";

// What the labels and the record show of a blocked HTTPS request: the server's name alone,
// with no referer and no agent. Its path travels encrypted and is never seen, so no path is
// shown and no placeholder is chosen.
ParsedRequest HttpsRequest(const std::string& serverName);

// The web server's port 443, where the HTTPS requests for blocked names arrive. Each
// connection is read as far as the server name in its TLS ClientHello; a named server is
// told as one blocked request, and the handshake is refused at once with a fatal
// "unrecognized_name" alert, after which browsers and curl give up without trying again.
// There is no certificate and nothing is decrypted. A connection that sends anything else
// is closed unanswered and untold.
//
// Its connections are its own, apart from port 80's slots: an HTTPS connection lives for one
// hello, and the recycle of those slots would cut the plain requests short. At most
// kConnections wait for their hello at once; when all are taken, the one that has waited
// longest makes room, so a client that connects and stays silent holds a place only until
// others need it.
//
// A browser whose handshake is refused tries the same server again within a moment (Firefox
// after a failed preload, for one), so a hello for the server told less than kRetryMs ago
// is the same request tried again: it is refused and not told a second time.
class HttpsResponder {
 public:
  static constexpr int kConnections = 64;
  static constexpr std::int64_t kRetryMs = 500;

  using Send = std::function<void(const std::string& body)>;
  struct Hooks {
    // A hello named this server; `send` refuses its handshake.
    std::function<void(const std::string& serverName, const Send& send)> blocked;
    std::function<void(const std::string&)> debugLog;
    // The time in milliseconds, for the retry window; without it every hello is told.
    std::function<std::int64_t()> nowMs = nullptr;
  };

  HttpsResponder(SocketFactory& sockets, Hooks hooks, int port);

  // Listens anew on the port; false when it cannot be had (FailureReason says why).
  bool Listen();
  std::string FailureReason() const { return listener_->FailureReason(); }
  // Stops listening; connections already open are still answered.
  void Close() { listener_->Close(); }

 private:
  struct Connection {
    std::unique_ptr<ConnectionSocket> socket;
    ClientHelloReader reader;
    std::uint64_t accepted = 0;  // order of arrival
  };

  void ConnectionRequest(std::int32_t requestId);
  void DataArrival(Connection& connection);
  void Log(const std::string& line) const;
  // Whether the server was told so lately that this hello is its request tried again.
  bool TriedAgain(const std::string& serverName);

  SocketFactory& sockets_;
  Hooks hooks_;
  int port_;
  std::unique_ptr<ListenSocket> listener_;
  std::vector<std::unique_ptr<Connection>> connections_;  // grows to kConnections, then reused
  std::uint64_t arrivals_ = 0;
  // The servers told within the retry window, with the time each was told.
  std::vector<std::pair<std::string, std::int64_t>> lastTold_;
};

}  // namespace quorlen
