#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quorlen::testing_support {

// A program started for one test and killed at its end if it is still there.
class Child {
 public:
  explicit Child(std::vector<std::string> argv) {
    std::vector<char*> args;
    for (auto& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    if (posix_spawnp(&pid_, args[0], nullptr, nullptr, args.data(), environ) != 0) pid_ = -1;
  }
  ~Child() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t Pid() const { return pid_; }
  // The exit code once the program ended within `ms`; -1 while it runs.
  int ExitCode(int ms) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!exited_) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (std::chrono::steady_clock::now() > until) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return code_;
  }
  void Kill() { kill(pid_, SIGKILL); }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int code_ = -1;
};

// Asks until the condition holds or `ms` have passed; `between` runs before each try.
inline bool WaitFor(const std::function<bool()>& condition, int ms = 10000,
                    const std::function<void()>& between = {}) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (true) {
    if (between) between();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
}

}  // namespace quorlen::testing_support
