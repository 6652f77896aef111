#include "privhelper/helper_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
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
    if (got < 0 || bytes.size() > kMaxBody) {
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

HelperServer::HelperServer(HelperScope scope, std::ostream& log)
    : scope_(std::move(scope)), log_(log) {}

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
  std::string backup;
  bool backupExists = false;
  if (!ReadFile(scope_.Backup(), backup, backupExists)) {
    return Refusal(error_code::kWriteFailed, scope_.Backup() + " cannot be read");
  }
  if (request.verb == Verb::kWriteBackup && backupExists) {
    return Refusal(error_code::kExists, scope_.Backup() + " exists and is kept");
  }
  // Putting the user's own file back is always allowed, whatever blocking left behind.
  bool restoresBackup = request.verb == Verb::kWriteHosts && backupExists && request.body == backup;
  if (!restoresBackup) {
    ChangeVerdict verdict = JudgeBlockingChange(current, request.body, MachineNames());
    if (!verdict.accepted) {
      return Refusal(error_code::kRefused,
                     "not a blocking change of " + scope_.hostsFile + ": " + verdict.reason);
    }
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
  if (restoresBackup) logged += " (the saved copy of the user's own file)";
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

void HelperServer::HandleConnection(int connection) {
  Peer peer = PeerOf(connection);
  timeval limit{kClientSeconds, 0};
  ::setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);

  std::string bytes;
  ParseResult parsed = ParseRequest(bytes, false);
  std::vector<char> chunk(1 << 16);
  while (parsed.status == ParseStatus::kIncomplete) {
    ssize_t got = ::recv(connection, chunk.data(), chunk.size(), 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      Log(peer, "no complete request in " + std::to_string(kClientSeconds) + " s");
      ::close(connection);
      return;
    }
    bytes.append(chunk.data(), static_cast<std::size_t>(got));
    parsed = ParseRequest(bytes, got == 0);
    // The whole body is here: wait for the half-close that says nothing more follows.
    if (parsed.status == ParseStatus::kComplete && got != 0)
      parsed.status = ParseStatus::kIncomplete;
  }

  Outcome outcome;
  std::string what;
  if (parsed.status == ParseStatus::kComplete) {
    what = std::string(VerbName(parsed.request.verb));
    if (!IsListenVerb(parsed.request.verb)) {
      what += " " + std::to_string(parsed.request.body.size()) + " bytes";
    }
    outcome = Handle(parsed.request);
  } else {
    what = "request";
    outcome = Refusal(
        parsed.status == ParseStatus::kTooLarge ? error_code::kTooLarge : error_code::kMalformed,
        parsed.reason);
  }
  // Logged before the reply goes out, so whoever reads the reply finds the line written.
  Log(peer, what + ": " + outcome.logged);
  if (!SendWithDescriptors(connection, outcome.reply, outcome.descriptors)) {
    Log(peer, "the reply did not reach the client");
  }
  for (int descriptor : outcome.descriptors) ::close(descriptor);
  ::close(connection);
}

void HelperServer::Serve(int listener, int idleSeconds, const std::atomic<bool>& stop) {
  std::time_t lastActivity = std::time(nullptr);
  while (!stop) {
    pollfd waiting{listener, POLLIN, 0};
    int ready = ::poll(&waiting, 1, 1000);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) {
      if (idleSeconds > 0 && std::time(nullptr) - lastActivity >= idleSeconds) return;
      continue;
    }
    int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    HandleConnection(connection);
    lastActivity = std::time(nullptr);
  }
}

}  // namespace quorlen::helper
