#include "platform/linux/privileged_linux.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/hosts_copies.h"
#include "platform/atomic_write.h"
#include "privhelper/helper_client.h"
#include "privhelper/loopback_port.h"

namespace quorlen {

DirectPrivileges::DirectPrivileges(std::string hostsFile, int port, int httpsPort)
    : hostsFile_(std::move(hostsFile)), port_(port), httpsPort_(httpsPort) {}

PrivilegedOperations::Outcome DirectPrivileges::Write(const std::string& path,
                                                      std::string_view text) {
  errno = 0;
  if (WriteFileAtomically(path, text).ok) return {true, {}};
  int error = errno;
  return {false, path + " could not be written" +
                     (error != 0 ? ": " + std::string(std::strerror(error)) : std::string())};
}

PrivilegedOperations::Outcome DirectPrivileges::WriteHostsFile(std::string_view text) {
  return Write(hostsFile_, text);
}

PrivilegedOperations::Outcome DirectPrivileges::WriteHostsBackup(std::string_view text) {
  std::error_code error;
  const std::string backup = HostsBackupOf(hostsFile_);
  if (std::filesystem::exists(backup, error)) return {false, backup + " exists and is kept"};
  return Write(backup, text);
}

PrivilegedOperations::Outcome DirectPrivileges::WriteHostsFullCopy(std::string_view text) {
  return Write(HostsFullCopyOf(hostsFile_), text);
}

PrivilegedOperations::Listeners DirectPrivileges::ListenOnPort80() {
  helper::LoopbackListeners listeners = helper::ListenOnLoopback(port_);
  return {listeners.descriptors, listeners.reason};
}

PrivilegedOperations::Listeners DirectPrivileges::ListenOnPort443() {
  helper::LoopbackListeners listeners = helper::ListenOnLoopback(httpsPort_);
  return {listeners.descriptors, listeners.reason};
}

namespace {

// What the user reads when nothing listens on the helper's socket.
std::string Unreachable(const helper::Answer& answer) {
  if (answer.listening) return answer.failure;
  return answer.failure + " (is the quorlen package installed and quorlen-helper.socket started?)";
}

}  // namespace

struct HelperPrivileges::Call {
  helper::Verb verb;
  std::string_view text;
  bool done = false;
  helper::Answer answer;
};

HelperPrivileges::HelperPrivileges(std::string socketPath, EventLoop& loop,
                                   std::chrono::milliseconds deadline)
    : socketPath_(std::move(socketPath)),
      loop_(loop),
      deadline_(deadline),
      worker_([this] { Work(); }) {}

HelperPrivileges::~HelperPrivileges() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

void HelperPrivileges::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
    if (waiting_.empty()) return;
    Call* call = waiting_.front();
    waiting_.pop_front();
    lock.unlock();
    helper::Answer answer = helper::AskHelper(socketPath_, call->verb, call->text, deadline_);
    lock.lock();
    call->answer = std::move(answer);
    call->done = true;
    changed_.notify_all();
  }
}

helper::Answer HelperPrivileges::Ask(helper::Verb verb, std::string_view text) {
  Call call{verb, text, false, {}};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.push_back(&call);
  }
  changed_.notify_all();
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (changed_.wait_for(lock, std::chrono::milliseconds(10), [&] { return call.done; })) {
        break;
      }
    }
    loop_.DoEvents();
  }
  return std::move(call.answer);
}

PrivilegedOperations::Outcome HelperPrivileges::Write(helper::Verb verb, std::string_view text) {
  helper::Answer answer = Ask(verb, text);
  for (int fd : answer.descriptors) ::close(fd);
  if (!answer.reached) return {false, Unreachable(answer)};
  if (answer.reply.ok) return {true, {}};
  return {false, "quorlen-helper: " + answer.reply.message};
}

PrivilegedOperations::Outcome HelperPrivileges::WriteHostsFile(std::string_view text) {
  return Write(helper::Verb::kWriteHosts, text);
}

PrivilegedOperations::Outcome HelperPrivileges::WriteHostsBackup(std::string_view text) {
  return Write(helper::Verb::kWriteBackup, text);
}

PrivilegedOperations::Outcome HelperPrivileges::WriteHostsFullCopy(std::string_view text) {
  return Write(helper::Verb::kWriteFullCopy, text);
}

PrivilegedOperations::Listeners HelperPrivileges::ListenOnPort80() {
  return Listen(helper::Verb::kListenPort80);
}

PrivilegedOperations::Listeners HelperPrivileges::ListenOnPort443() {
  return Listen(helper::Verb::kListenPort443);
}

bool HelperPrivileges::Reachable() {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath_.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, socketPath_.data(), socketPath_.size());
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  // A full backlog (EAGAIN) is a helper that runs and is busy.
  const bool taken = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ||
                     errno == EAGAIN || errno == EINPROGRESS;
  ::close(fd);
  return taken;
}

PrivilegedOperations::Listeners HelperPrivileges::Listen(helper::Verb verb) {
  helper::Answer answer = Ask(verb, {});
  if (!answer.reached || !answer.reply.ok) {
    for (int fd : answer.descriptors) ::close(fd);
    return {{}, answer.reached ? "quorlen-helper: " + answer.reply.message : Unreachable(answer)};
  }
  return {answer.descriptors, {}};
}

}  // namespace quorlen
