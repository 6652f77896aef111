#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/privileged.h"
#include "platform/sockets.h"

namespace quorlen {

class FakeConnection;

// An in-memory network for tests: a test plays the browser side, connecting, sending
// request text, completing or holding back the sends, and closing from its end.
class FakeNetwork : public SocketFactory {
 public:
  std::unique_ptr<ListenSocket> CreateListener() override;
  std::unique_ptr<ConnectionSocket> CreateConnection() override;

  // A browser connects to the listening port: the number of the browser's end, or -1
  // when nothing listens or the connection was not accepted.
  int Connect(int port);
  // The browser sends `bytes`; the server side hears one data-arrival event.
  void Send(int client, const std::string& bytes);
  // The server's send has gone out: its send-complete event runs.
  void CompleteSends();
  void CloseFromBrowser(int client);
  // The browser is done with the connection: it closes its end, and the record of it goes
  // once the server has closed its end too, so a long run keeps only open connections.
  void Forget(int client);

  // What the server sent to the browser's end, and whether it closed the connection.
  const std::string& Received(int client) const { return clients_.at(client).received; }
  bool ClosedByServer(int client) const { return clients_.at(client).closedByServer; }
  int Listeners() const;
  // The browser ends the network still keeps a record of.
  int Clients() const { return static_cast<int>(clients_.size()); }

  // When set, listening fails with this reason, as with a port another program holds: on
  // `listenFailurePort` alone, or on every port while that is 0.
  std::string listenFailure;
  int listenFailurePort = 0;
  // When set, ports 80 and 443 are had from these operations, as the program has them, and
  // listening there fails as asking them does.
  PrivilegedOperations* privileged = nullptr;

 private:
  friend class FakeListener;
  friend class FakeConnection;
  struct Client {
    FakeConnection* server = nullptr;  // the slot that owns the connection
    std::string received;
    bool closedByServer = false;
    bool closedByBrowser = false;
    bool forgotten = false;
  };
  std::vector<class FakeListener*> listeners_;
  std::vector<FakeConnection*> connections_;
  std::map<int, Client> clients_;
  int pending_ = -1;  // the request being offered, while its event runs
  int nextClient_ = 1;
};

}  // namespace quorlen
