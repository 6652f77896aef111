#pragma once

#include <sys/types.h>

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

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
  std::string Backup() const { return hostsFile + "qlb"; }
  std::string FullCopy() const { return hostsFile + "qlf"; }
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

// The privileged helper: takes one request per connection, does it when the rule allows,
// answers and logs one line per request.
class HelperServer {
 public:
  HelperServer(HelperScope scope, std::ostream& log);

  // Accepts connections on the listening Unix socket until `stop` turns true or, with
  // `idleSeconds` > 0, that long passes without one. One connection at a time; a client
  // gets kClientSeconds to send its request.
  void Serve(int listener, int idleSeconds, const std::atomic<bool>& stop);

  // Reads one request from the connection, answers it and closes the connection.
  void HandleConnection(int connection);

  struct Outcome {
    std::string reply;             // the reply line with its LF
    std::vector<int> descriptors;  // sent with the reply, then closed
    std::string logged;            // what the log line says of the result
  };
  // The work of one complete request.
  Outcome Handle(const Request& request);

  static constexpr int kClientSeconds = 10;

 private:
  Outcome WriteFile(const Request& request, const std::string& target);
  Outcome ListenPort(int port);
  void Log(const Peer& peer, const std::string& what);

  HelperScope scope_;
  std::ostream& log_;
};

}  // namespace quorlen::helper
