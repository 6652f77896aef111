#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "platform/event_loop.h"
#include "platform/privileged.h"
#include "privhelper/helper_client.h"
#include "privhelper/protocol.h"

namespace quorlen {

// The program runs as root and changes the machine itself, as it did on Windows.
class DirectPrivileges : public PrivilegedOperations {
 public:
  explicit DirectPrivileges(std::string hostsFile, int port = 80, int httpsPort = 443);
  Outcome WriteHostsFile(std::string_view text) override;
  Outcome WriteHostsBackup(std::string_view text) override;
  Outcome WriteHostsFullCopy(std::string_view text) override;
  Listeners ListenOnPort80() override;
  Listeners ListenOnPort443() override;

 private:
  Outcome Write(const std::string& path, std::string_view text);
  std::string hostsFile_;
  int port_;
  int httpsPort_;
};

// The program runs as the desktop user and asks quorlen-helper on its Unix socket. The
// requests go out from a worker thread while the caller lets the program's events run
// about every 10 ms, so windows repaint, timers tick and blocked ads are answered however
// long the helper takes; the call returns with the answer, or after the deadline with its
// cause. The worker sends them one at a time in the order they were made, so a request
// made by an event that ran meanwhile goes after the one that was waiting.
class HelperPrivileges : public PrivilegedOperations {
 public:
  // Room for the helper to start, judge and write the largest hosts file on a slow disk.
  static constexpr std::chrono::milliseconds kDeadline{10000};

  HelperPrivileges(std::string socketPath, EventLoop& loop,
                   std::chrono::milliseconds deadline = kDeadline);
  ~HelperPrivileges() override;
  HelperPrivileges(const HelperPrivileges&) = delete;
  HelperPrivileges& operator=(const HelperPrivileges&) = delete;
  Outcome WriteHostsFile(std::string_view text) override;
  Outcome WriteHostsBackup(std::string_view text) override;
  Outcome WriteHostsFullCopy(std::string_view text) override;
  Listeners ListenOnPort80() override;
  Listeners ListenOnPort443() override;

 private:
  struct Call;
  helper::Answer Ask(helper::Verb verb, std::string_view text);
  Outcome Write(helper::Verb verb, std::string_view text);
  Listeners Listen(helper::Verb verb);
  void Work();

  std::string socketPath_;
  EventLoop& loop_;
  std::chrono::milliseconds deadline_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Call*> waiting_;  // each owned by the call that waits for it
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace quorlen
