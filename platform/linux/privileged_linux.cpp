#include "platform/linux/privileged_linux.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

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
  if (std::filesystem::exists(hostsFile_ + "qlb", error)) {
    return {false, hostsFile_ + "qlb exists and is kept"};
  }
  return Write(hostsFile_ + "qlb", text);
}

PrivilegedOperations::Outcome DirectPrivileges::WriteHostsFullCopy(std::string_view text) {
  return Write(hostsFile_ + "qlf", text);
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

// What the user reads when the helper cannot be reached.
std::string Unreachable(const std::string& failure) {
  return failure + " (is the quorlen package installed and quorlen-helper.socket started?)";
}

}  // namespace

HelperPrivileges::HelperPrivileges(std::string socketPath) : socketPath_(std::move(socketPath)) {}

PrivilegedOperations::Outcome HelperPrivileges::Write(helper::Verb verb, std::string_view text) {
  helper::Answer answer = helper::AskHelper(socketPath_, verb, text);
  if (!answer.reached) return {false, Unreachable(answer.failure)};
  for (int fd : answer.descriptors) ::close(fd);
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

PrivilegedOperations::Listeners HelperPrivileges::Listen(helper::Verb verb) {
  helper::Answer answer = helper::AskHelper(socketPath_, verb, {});
  if (!answer.reached) return {{}, Unreachable(answer.failure)};
  if (!answer.reply.ok) {
    for (int fd : answer.descriptors) ::close(fd);
    return {{}, "quorlen-helper: " + answer.reply.message};
  }
  return {answer.descriptors, {}};
}

}  // namespace quorlen
