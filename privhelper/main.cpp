// quorlen-helper: the privileged part of Quorlen. It writes the hosts file and its two
// copies when the change only blocks or unblocks names, and hands the program listening
// sockets on ports 80 and 443 of the loopback addresses, for the user of the active local
// session alone. Started by systemd on its socket, or standalone with --socket.
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <systemd/sd-daemon.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/atomic_write.h"
#include "privhelper/helper_server.h"
#include "privhelper/login_sessions.h"

namespace {

std::atomic<bool> stopping{false};

void OnStop(int) { stopping = true; }

// The listening Unix socket systemd passed, or -1.
int ActivatedSocket() {
  if (sd_listen_fds(1) < 1) return -1;
  return sd_is_socket_unix(SD_LISTEN_FDS_START, SOCK_STREAM, 1, nullptr, 0) > 0
             ? SD_LISTEN_FDS_START
             : -1;
}

int ListenOn(const std::string& path) {
  sockaddr_un address{};
  if (path.size() >= sizeof address.sun_path) return -1;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size());
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  ::unlink(path.c_str());  // a socket file left by an earlier run
  // Every local user may connect; the helper itself decides whom it serves.
  mode_t mask = ::umask(0111);
  bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::umask(mask);
  if (!ok || ::listen(fd, 16) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int Usage() {
  std::cerr
      << "usage: quorlen-helper [--socket PATH] [--user NAME] [--hosts FILE] [--port N] "
         "[--https-port N] [--idle-exit SECONDS]\n"
         "       quorlen-helper --put-back-user-hosts [--hosts FILE]\n"
         "  Started by systemd on quorlen-helper.socket, or standalone with --socket.\n"
         "  It serves the user of the active local session, as systemd-logind tells it;\n"
         "  --user serves that user alone instead (a machine without logind).\n"
         "  --hosts, --port and --https-port choose another file and ports, for tests.\n"
         "  --put-back-user-hosts takes the blocking out of the hosts file (package removal).\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  quorlen::helper::HelperScope scope;
  quorlen::helper::AccessRule access{::geteuid(), {}, {}};
  std::string socketPath;
  int idleSeconds = -1;
  bool putBack = false;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--put-back-user-hosts") {
      putBack = true;
      continue;
    }
    if (i + 1 >= argc) return Usage();
    std::string value = argv[++i];
    if (option == "--socket") {
      socketPath = value;
    } else if (option == "--user") {
      const passwd* user = ::getpwnam(value.c_str());
      if (user == nullptr) {
        std::cerr << "quorlen-helper: no user " << value << "\n";
        return 2;
      }
      access.namedUser = user->pw_uid;
      access.namedUserName = value;
    } else if (option == "--hosts") {
      scope.hostsFile = value;
    } else if (option == "--port" || option == "--https-port") {
      int& port = option == "--port" ? scope.port : scope.httpsPort;
      port = std::atoi(value.c_str());
      if (port <= 0 || port > 65535) return Usage();
    } else if (option == "--idle-exit") {
      idleSeconds = std::atoi(value.c_str());
    } else {
      return Usage();
    }
  }

  // The copies beside the hosts file are readable by everyone, like the file itself.
  ::umask(022);
  if (putBack) {
    std::cout << "quorlen-helper: " << quorlen::helper::PutBackUserHosts(scope) << std::endl;
    return 0;
  }
  struct sigaction action {};
  action.sa_handler = OnStop;
  sigemptyset(&action.sa_mask);
  for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  int listener = -1;
  if (!socketPath.empty()) {
    listener = ListenOn(socketPath);
    if (listener < 0) {
      std::cerr << "quorlen-helper: cannot listen on " << socketPath << ": " << std::strerror(errno)
                << "\n";
      return 1;
    }
    if (idleSeconds < 0) idleSeconds = 0;  // standalone: serve until stopped
  } else {
    listener = ActivatedSocket();
    if (listener < 0) return Usage();
    // systemd starts the helper again on the next connection.
    if (idleSeconds < 0) idleSeconds = 60;
  }

  std::cerr << "quorlen-helper: serving " << scope.hostsFile << " and ports " << scope.port
            << " and " << scope.httpsPort << " to "
            << (access.namedUser ? access.namedUserName : "the user of the active local session")
            << std::endl;
  // The helper is the only writer of these files: a write a crash cut short is finished
  // before any request is served.
  for (const std::string& path : {scope.hostsFile, scope.Backup(), scope.FullCopy()}) {
    if (quorlen::RecoverInterruptedWrite(path).finished) {
      std::cerr << "quorlen-helper: finished an interrupted write of " << path << std::endl;
    }
  }
  quorlen::helper::HelperServer server(scope, access, quorlen::helper::ReadLocalSessions, std::cerr,
                                       {});
  server.Serve(listener, idleSeconds, stopping);
  if (!socketPath.empty()) ::unlink(socketPath.c_str());
  return 0;
}
