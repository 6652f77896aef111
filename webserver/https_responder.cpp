#include "webserver/https_responder.h"

#include <algorithm>
#include <utility>

namespace quorlen {

namespace {

// A TLS alert record (type 21, the TLS 1.2 record version), fatal (2), unrecognized_name
// (112). Chromium takes this one as final where it probes again after other handshake
// failures, so one request is seen once.
const std::string kRefusal("\x15\x03\x03\x00\x02\x02\x70", 7);

}  // namespace

ParsedRequest HttpsRequest(const std::string& serverName) {
  ParsedRequest request;
  request.host = serverName;
  request.kind = std::string(kHttpsKind);
  request.body = ReplyBody::kNone;
  return request;
}

HttpsResponder::HttpsResponder(SocketFactory& sockets, Hooks hooks, int port)
    : sockets_(sockets), hooks_(std::move(hooks)), port_(port) {
  listener_ = sockets_.CreateListener();
  listener_->onConnectionRequest = [this](std::int32_t id) { ConnectionRequest(id); };
}

bool HttpsResponder::Listen() {
  listener_->Close();
  listener_->SetLocalPort(port_);
  return listener_->Listen();
}

void HttpsResponder::Log(const std::string& line) const {
  if (hooks_.debugLog) hooks_.debugLog(line);
}

void HttpsResponder::ConnectionRequest(std::int32_t requestId) {
  // A place whose client has gone, or whose refusal is out, is free.
  auto free = std::find_if(connections_.begin(), connections_.end(),
                           [](auto& c) { return c->socket->State() != socket_state::kConnected; });
  Connection* place = nullptr;
  if (free != connections_.end()) {
    place = free->get();
  } else if (connections_.size() < static_cast<std::size_t>(kConnections)) {
    auto added = std::make_unique<Connection>();
    added->socket = sockets_.CreateConnection();
    Connection* connection = added.get();
    connection->socket->onDataArrival = [this, connection](std::int32_t) {
      DataArrival(*connection);
    };
    connection->socket->onSendComplete = [connection] { connection->socket->Close(); };
    connections_.push_back(std::move(added));
    place = connection;
  } else {
    place = std::min_element(connections_.begin(), connections_.end(), [](auto& a, auto& b) {
              return a->accepted < b->accepted;
            })->get();
    Log("# Web Server closed the HTTPS connection that waited longest for its hello");
  }
  place->socket->Close();
  place->reader = ClientHelloReader();
  place->accepted = ++arrivals_;
  place->socket->Accept(requestId);
}

bool HttpsResponder::TriedAgain(const std::string& serverName) {
  if (!hooks_.nowMs) return false;
  const std::int64_t now = hooks_.nowMs();
  std::erase_if(lastTold_, [now](const auto& told) { return now - told.second >= kRetryMs; });
  auto told = std::find_if(lastTold_.begin(), lastTold_.end(),
                           [&](const auto& entry) { return entry.first == serverName; });
  if (told != lastTold_.end()) {
    Log("# Web Server HTTPS request for " + serverName + " tried again: not counted");
    return true;
  }
  lastTold_.emplace_back(serverName, now);
  return false;
}

void HttpsResponder::DataArrival(Connection& connection) {
  const std::string bytes = connection.socket->GetData();
  // After its hello a client waits for the answer; whatever else it sends is not read.
  if (connection.reader.status() != ClientHelloReader::Status::kNeedMore) return;
  ConnectionSocket& socket = *connection.socket;
  switch (connection.reader.Add(bytes)) {
    case ClientHelloReader::Status::kNeedMore:
      return;
    case ClientHelloReader::Status::kServerName: {
      const std::string name = connection.reader.ServerName();
      Log("# Web Server HTTPS request for " + name);
      const Send refuse = [&socket](const std::string&) { socket.SendData(kRefusal); };
      if (hooks_.blocked && !TriedAgain(name)) {
        hooks_.blocked(name, refuse);
      } else {
        refuse({});
      }
      return;
    }
    case ClientHelloReader::Status::kNoServerName:
      // A TLS client all the same: it is told, and gives up at once.
      Log("# Web Server refused an HTTPS connection: no server name");
      socket.SendData(kRefusal);
      return;
    case ClientHelloReader::Status::kMalformed:
    case ClientHelloReader::Status::kTooLarge:
      Log(std::string("# Web Server closed an HTTPS connection: ") + connection.reader.Reason());
      socket.Close();
      return;
  }
}

}  // namespace quorlen
