#include "privhelper/helper_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/atomic_write.h"
#include "privhelper/blocking_change.h"
#include "privhelper/descriptor_passing.h"
#include "privhelper/loopback_port.h"

namespace quorlen::helper {

namespace {

// The file's bytes; `exists` false when there is no such file. Any other failure to read
// leaves a file that cannot be judged.
bool ReadFile(const std::string& path, std::string& bytes, bool& exists) {
  bytes.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  exists = fd >= 0;
  if (fd < 0) return errno == ENOENT;
  char chunk[1 << 16];
  ssize_t got;
  while ((got = ::read(fd, chunk, sizeof chunk)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      return false;
    }
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return true;
}

// This machine's own name is never blocked, so never taken out either.
std::vector<std::string> MachineNames() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return {name};
}

Peer PeerOf(int connection) {
  Peer peer;
  ucred credentials{};
  socklen_t length = sizeof credentials;
  if (::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0) {
    peer.pid = credentials.pid;
    peer.uid = credentials.uid;
    peer.gid = credentials.gid;
  }
  std::ifstream comm("/proc/" + std::to_string(peer.pid) + "/comm");
  std::getline(comm, peer.command);
  return peer;
}

HelperServer::Outcome Refusal(std::string_view code, const std::string& message) {
  return {EncodeError(code, message), {}, std::string(code) + ": " + message};
}

}  // namespace

std::string PutBackUserHosts(const HelperScope& scope) {
  std::string hosts, saved;
  bool hostsExist = false, savedExists = false;
  if (!ReadFile(scope.hostsFile, hosts, hostsExist) || !hostsExist) {
    return scope.hostsFile + " cannot be read; left as it is";
  }
  if (!ReadFile(scope.Backup(), saved, savedExists) || !savedExists) {
    saved.clear();
  }
  std::string restored;
  std::string what;
  if (savedExists && JudgeBlockingChange(saved, hosts, MachineNames()).accepted) {
    restored = saved;
    what = "the user's own file from " + scope.Backup() + " put back";
  } else {
    restored = WithoutAddedBlockingLines(hosts, saved, MachineNames());
    what = "the blocking lines taken out";
  }
  if (restored == hosts) return scope.hostsFile + " holds no blocking lines; left as it is";
  if (!WriteFileAtomically(scope.hostsFile, restored).ok) {
    return scope.hostsFile + " could not be written: " + std::strerror(errno);
  }
  return scope.hostsFile + ": " + what;
}

HelperServer::HelperServer(HelperScope scope, AccessRule access, Sessions sessions,
                           std::ostream& log, Limits limits)
    : scope_(std::move(scope)),
      access_(std::move(access)),
      sessions_(std::move(sessions)),
      log_(log),
      limits_(limits) {}

void HelperServer::Log(const Peer& peer, const std::string& what) {
  log_ << "uid " << peer.uid << " gid " << peer.gid << " pid " << peer.pid << " (" << peer.command
       << "): " << what << std::endl;
}

HelperServer::Outcome HelperServer::WriteFile(const Request& request, const std::string& target) {
  std::string current;
  bool hostsExist = false;
  if (!ReadFile(scope_.hostsFile, current, hostsExist)) {
    return Refusal(error_code::kWriteFailed, scope_.hostsFile + " cannot be read");
  }
  if (request.verb == Verb::kWriteBackup) {
    struct stat backup {};
    if (::lstat(scope_.Backup().c_str(), &backup) == 0) {
      return Refusal(error_code::kExists, scope_.Backup() + " exists and is kept");
    }
  }
  // Putting the user's saved file back is a change like any other: the user's own lines
  // must stay as they are now, so nobody rolls back what the administrator added since.
  ChangeVerdict verdict = JudgeBlockingChange(current, request.body, MachineNames());
  if (!verdict.accepted) {
    return Refusal(error_code::kRefused,
                   "not a blocking change of " + scope_.hostsFile + ": " + verdict.reason);
  }
  errno = 0;
  AtomicWriteResult written = WriteFileAtomically(target, request.body);
  if (!written.ok) {
    int error = errno;
    return Refusal(error_code::kWriteFailed,
                   target + " could not be written" +
                       (error != 0 ? ": " + std::string(std::strerror(error)) : std::string()));
  }
  std::string logged = "ok, " + std::to_string(request.body.size()) + " bytes to " + target;
  if (written.rewroteInPlace) logged += " (rewritten in place: it cannot be renamed over)";
  return {EncodeOk(), {}, logged};
}

HelperServer::Outcome HelperServer::ListenPort(int port) {
  LoopbackListeners listeners = ListenOnLoopback(port);
  if (listeners.descriptors.empty()) {
    return Refusal(listeners.error == EADDRINUSE ? error_code::kPortInUse : error_code::kPortFailed,
                   listeners.reason);
  }
  int count = static_cast<int>(listeners.descriptors.size());
  return {EncodeOk(count), listeners.descriptors,
          "ok, " + std::to_string(count) + " listening sockets on port " + std::to_string(port)};
}

HelperServer::Outcome HelperServer::Handle(const Request& request) {
  switch (request.verb) {
    case Verb::kWriteHosts:
      return WriteFile(request, scope_.hostsFile);
    case Verb::kWriteBackup:
      return WriteFile(request, scope_.Backup());
    case Verb::kWriteFullCopy:
      return WriteFile(request, scope_.FullCopy());
    case Verb::kListenPort80:
      return ListenPort(scope_.port);
    case Verb::kListenPort443:
      return ListenPort(scope_.httpsPort);
  }
  return Refusal(error_code::kMalformed, "unknown request");
}

void HelperServer::Finish(Connection& connection, const std::string& what, const Outcome& outcome) {
  // Logged before the reply goes out, so whoever reads the reply finds the line written.
  Log(connection.peer, what + ": " + outcome.logged);
  if (!SendWithDescriptors(connection.fd, outcome.reply, outcome.descriptors)) {
    Log(connection.peer, "the reply did not reach the client");
  }
  for (int descriptor : outcome.descriptors) ::close(descriptor);
  ::close(connection.fd);
  connection.done = true;
}

void HelperServer::Admit(int fd, Clock::time_point now) {
  Connection connection;
  connection.fd = fd;
  connection.peer = PeerOf(fd);
  connection.deadline = now + limits_.request;
  // Who may ask is settled before a byte is read: nobody else can make the helper hold
  // or parse anything.
  AccessVerdict access = Authorise(connection.peer.uid, access_, sessions_());
  if (!access.allowed) {
    Finish(connection, "connection refused before its request",
           Refusal(error_code::kNotAllowed, access.reason));
    return;
  }
  const auto open = std::count_if(connections_.begin(), connections_.end(), [&](const auto& other) {
    return other.peer.uid == connection.peer.uid;
  });
  if (open >= limits_.connectionsPerUser) {
    Finish(
        connection, "connection refused before its request",
        Refusal(error_code::kBusy, "already serving " + std::to_string(open) + " requests of uid " +
                                       std::to_string(connection.peer.uid)));
    return;
  }
  struct stat hosts {};
  connection.maxBody =
      LargestAcceptedText(::stat(scope_.hostsFile.c_str(), &hosts) == 0 ? hosts.st_size : 0);
  connections_.push_back(std::move(connection));
}

void HelperServer::Read(Connection& connection) {
  char chunk[1 << 16];
  // A few reads a turn: a large request does not keep the others from their turn.
  for (int reads = 0; reads < 16; ++reads) {
    ssize_t got = ::recv(connection.fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    if (got < 0) {
      Log(connection.peer, std::string("the connection failed: ") + std::strerror(errno));
      ::close(connection.fd);
      connection.done = true;
      return;
    }
    // A connection closed before its first byte is the program asking whether the helper
    // runs: nothing was asked, so nothing is answered or logged.
    if (got == 0 && connection.bytes.empty()) {
      ::close(connection.fd);
      connection.done = true;
      return;
    }
    connection.bytes.append(chunk, static_cast<std::size_t>(got));
    ParseResult parsed = ParseRequest(connection.bytes, got == 0, connection.maxBody);
    // The whole body is here: the half-close says that nothing more follows.
    if (parsed.status == ParseStatus::kIncomplete ||
        (parsed.status == ParseStatus::kComplete && got != 0)) {
      continue;
    }
    if (parsed.status == ParseStatus::kComplete) {
      std::string what(VerbName(parsed.request.verb));
      if (!IsListenVerb(parsed.request.verb)) {
        what += " " + std::to_string(parsed.request.body.size()) + " bytes";
      }
      // A client that has closed its end (not just its sending half) gave up waiting and
      // told its user that nothing happened: so nothing does.
      pollfd client{connection.fd, POLLOUT, 0};
      if (::poll(&client, 1, 0) == 1 && (client.revents & POLLHUP) != 0) {
        Log(connection.peer, what + ": not done, the client no longer waits for it");
        ::close(connection.fd);
        connection.done = true;
        return;
      }
      Finish(connection, what, Handle(parsed.request));
    } else {
      Finish(connection, "request",
             Refusal(parsed.status == ParseStatus::kTooLarge ? error_code::kTooLarge
                                                             : error_code::kMalformed,
                     parsed.reason));
    }
    return;
  }
}

void HelperServer::Serve(int listener, int idleSeconds, const std::atomic<bool>& stop) {
  // Accepting goes on until nobody waits, and must not block then.
  ::fcntl(listener, F_SETFL, ::fcntl(listener, F_GETFL) | O_NONBLOCK);
  Clock::time_point lastActivity = Clock::now();
  std::vector<pollfd> waiting;
  while (!stop) {
    Clock::time_point now = Clock::now();
    auto wait = std::chrono::milliseconds(1000);
    waiting.clear();
    const bool room = static_cast<int>(connections_.size()) < limits_.connections;
    waiting.push_back({room ? listener : -1, POLLIN, 0});
    for (const Connection& connection : connections_) {
      waiting.push_back({connection.fd, POLLIN, 0});
      wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(
                                std::max(connection.deadline - now, Clock::duration::zero())));
    }
    int ready = ::poll(waiting.data(), waiting.size(), static_cast<int>(wait.count()));
    if (ready < 0 && errno != EINTR) return;
    now = Clock::now();
    auto connection = connections_.begin();
    for (std::size_t i = 1; i < waiting.size(); ++i, ++connection) {
      if (ready > 0 && waiting[i].revents != 0) Read(*connection);
      if (!connection->done && now >= connection->deadline) {
        Finish(*connection, "request",
               Refusal(error_code::kTimeout, "no complete request within " +
                                                 std::to_string(limits_.request.count()) + " ms"));
      }
    }
    connections_.remove_if([](const Connection& c) { return c.done; });
    if (ready > 0 && (waiting[0].revents & POLLIN) != 0) {
      for (int accepted = 0; accepted < 16; ++accepted) {
        int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) break;
        Admit(fd, now);
        if (static_cast<int>(connections_.size()) >= limits_.connections) break;
      }
    }
    if (!connections_.empty() || ready > 0) lastActivity = now;
    if (idleSeconds > 0 && now - lastActivity >= std::chrono::seconds(idleSeconds)) return;
  }
  for (Connection& connection : connections_) ::close(connection.fd);
  connections_.clear();
}

}  // namespace quorlen::helper
