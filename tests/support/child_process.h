#pragma once

#include <fcntl.h>
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

// Asks until the condition holds or `ms` have passed, running `between` before each try.
inline bool WaitFor(const std::function<bool()>& condition, int ms = 10000,
                    const std::function<void()>& between = {}, int pauseMs = 25) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (true) {
    if (between) between();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
  }
}

// A program started for one test, killed at its end; its output goes to `output` if given.
class Child {
 public:
  explicit Child(std::vector<std::string> argv, const std::string& output = "") {
    std::vector<char*> args;
    for (auto& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!output.empty()) {
      posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0600);
      posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
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
    int status = 0;
    auto ended = [&] { return exited_ || (exited_ = waitpid(pid_, &status, WNOHANG) == pid_); };
    if (!exited_ && WaitFor(ended, ms, {}, 20))
      code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return code_;
  }
  void Kill(int signal = SIGKILL) { kill(pid_, signal); }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int code_ = -1;
};

}  // namespace quorlen::testing_support
