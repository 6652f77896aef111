// Starts a program and reports when its start-up wrote the hosts file and what it holds
// in memory once idle: the probe of the start-up and memory benchmark.
//   startup_probe [--hosts <file>] <settle ms> <program> [arguments...]
// Prints "written <ms> cpu <ms>" (from the start to the hosts file being replaced or
// rewritten, when --hosts is given, and the processor time the program had used by then,
// which other load on the machine disturbs less), then "rss <kB> hwm <kB> cpu <ms>": the
// memory of /proc/<pid>/status and the processor time once the settle time has passed
// after that, when the program should be idle, and ends the program with SIGTERM.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

long StatusField(pid_t pid, const char* field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  }
  return -1;
}

// Processor time the process has run, in milliseconds.
double CpuMs(pid_t pid) {
  std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
  double ns = 0;
  schedstat >> ns;
  return ns / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  std::string hosts;
  if (argc > 2 && std::string(argv[1]) == "--hosts") {
    hosts = argv[2];
    arg = 3;
  }
  if (argc - arg < 2) {
    std::fprintf(stderr, "usage: startup_probe [--hosts <file>] <settle ms> <program> [args...]\n");
    return 2;
  }
  const int settleMs = std::atoi(argv[arg]);
  int watch = -1;
  if (!hosts.empty()) {
    // The folder: a replace is a rename into it, an in-place rewrite a close after writing.
    const std::string folder = hosts.substr(0, hosts.find_last_of('/'));
    watch = inotify_init1(IN_CLOEXEC);
    inotify_add_watch(watch, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
  }
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    execv(argv[arg + 1], argv + arg + 1);
    _exit(127);
  }
  if (watch >= 0) {
    const std::string name = hosts.substr(hosts.find_last_of('/') + 1);
    bool written = false;
    while (!written) {
      pollfd p{watch, POLLIN, 0};
      if (poll(&p, 1, 60000) <= 0) {
        std::printf("the hosts file was not written within 60 s\n");
        kill(pid, SIGKILL);
        return 1;
      }
      alignas(inotify_event) char buffer[4096];
      ssize_t n = read(watch, buffer, sizeof buffer);
      for (ssize_t at = 0; at < n;) {
        auto* event = reinterpret_cast<inotify_event*>(buffer + at);
        if (event->len > 0 && name == event->name) written = true;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    const auto ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    std::printf("written %.1f cpu %.1f\n", ms.count(), CpuMs(pid));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
  std::printf("rss %ld hwm %ld cpu %.1f\n", StatusField(pid, "VmRSS:"), StatusField(pid, "VmHWM:"),
              CpuMs(pid));
  std::fflush(stdout);
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return 0;
}
