#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <ostream>
#include <string>
#include <vector>

#include "core/hosts_copies.h"
#include "privhelper/authorisation.h"
#include "privhelper/protocol.h"

namespace quorlen::helper {

// What the helper may touch: the hosts file, its two copies beside it ("qlb": the user's
// own file from before blocking, "qlf": the blocking version) and two TCP ports on the
// loopback addresses, HTTP's and HTTPS's. Fixed when the helper starts; no request can name
// another.
struct HelperScope {
  std::string hostsFile = "/etc/hosts";
  int port = 80;
  int httpsPort = 443;
  std::string Backup() const { return HostsBackupOf(hostsFile); }
  std::string FullCopy() const { return HostsFullCopyOf(hostsFile); }
};

// What removing the program does to the hosts file: the user's saved file goes back while
// the hosts file is still a blocking version of it; a file the user has changed since
// loses only the blocking lines the saved file did not have. Says what it did.
std::string PutBackUserHosts(const HelperScope& scope);

// Who sent a request, as the kernel tells it (SO_PEERCRED).
struct Peer {
  pid_t pid = 0;
  uid_t uid = 0;
  gid_t gid = 0;
  std::string command;  // the process's name, for the log
};

// The privileged helper: serves many connections at once on one thread, one request per
// connection. Who may ask is decided once per connection, before anything is read
// (Authorise); each request must arrive whole within one deadline, and each user holds
// at most a few connections, so no client can keep another waiting. It does what the
// rule allows, answers and logs one line per connection.
class HelperServer {
 public:
  using Sessions = std::function<LocalSessions()>;
  struct Limits {
    std::chrono::milliseconds request{2000};  // from the connection to the whole request
    int connectionsPerUser = 4;
    int connections = 64;  // beyond, new connections wait in the socket's backlog
  };

  HelperServer(HelperScope scope, AccessRule access, Sessions sessions, std::ostream& log,
               Limits limits);

  // Serves connections on the listening Unix socket until `stop` turns true or, with
  // `idleSeconds` > 0, that long passes without a connection.
  void Serve(int listener, int idleSeconds, const std::atomic<bool>& stop);

  struct Outcome {
    std::string reply;             // the reply line with its LF
    std::vector<int> descriptors;  // sent with the reply, then closed
    std::string logged;            // what the log line says of the result
  };
  // The work of one complete request of a peer Authorise allowed. Every verb is done
  // here, and only here.
  Outcome Handle(const Request& request);

 private:
  using Clock = std::chrono::steady_clock;
  struct Connection {
    int fd = -1;
    Peer peer;
    Clock::time_point deadline;
    std::size_t maxBody = 0;
    std::string bytes;
    bool done = false;
  };

  void Admit(int fd, Clock::time_point now);
  // Reads what has arrived; answers once the request is whole or cannot become one.
  void Read(Connection& connection);
  void Finish(Connection& connection, const std::string& what, const Outcome& outcome);
  Outcome WriteFile(const Request& request, const std::string& target);
  Outcome ListenPort(int port);
  void Log(const Peer& peer, const std::string& what);

  HelperScope scope_;
  AccessRule access_;
  Sessions sessions_;
  std::ostream& log_;
  Limits limits_;
  std::list<Connection> connections_;
};

}  // namespace quorlen::helper
