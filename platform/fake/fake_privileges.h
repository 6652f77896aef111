#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/hosts_copies.h"
#include "platform/atomic_write.h"
#include "platform/privileged.h"

namespace quorlen {

// The privileged operations on a test's own files: the hosts file and its copies are
// written for real, each write is recorded, and a test can make writes or the port fail.
class FakePrivileges : public PrivilegedOperations {
 public:
  explicit FakePrivileges(const std::string& hostsFile) : hostsFile_(hostsFile) {}

  static constexpr const char* kUnreachable =
      "quorlen-helper does not answer on /run/quorlen-helper.sock: No such file or directory";

  Outcome WriteHostsFile(std::string_view text) override { return Write("", text); }
  Outcome WriteHostsBackup(std::string_view text) override {
    return Write(std::string(kHostsBackupSuffix), text);
  }
  Outcome WriteHostsFullCopy(std::string_view text) override {
    return Write(std::string(kHostsFullCopySuffix), text);
  }
  Listeners ListenOnPort80() override { return {{}, reachable ? portFailure : kUnreachable}; }
  Listeners ListenOnPort443() override { return {{}, reachable ? portFailure : kUnreachable}; }

  bool Reachable() override {
    ++probes;
    return reachable;
  }

  bool reachable = true;  // false: as if the helper were not running
  int probes = 0;
  std::string writeFailure;  // when set, every write fails with this reason
  // When set, a write of a text it gives a reason for fails with that reason.
  std::function<std::string(std::string_view text)> refuse;
  std::string portFailure;           // when set, the ports cannot be had, for this reason
  std::vector<std::string> written;  // "hosts", "qlb", "qlf" in order

 private:
  Outcome Write(const std::string& suffix, std::string_view text) {
    if (!reachable) return {false, kUnreachable};
    if (!writeFailure.empty()) return {false, writeFailure};
    if (std::string reason = refuse ? refuse(text) : ""; !reason.empty()) return {false, reason};
    written.push_back(suffix.empty() ? "hosts" : suffix);
    bool ok = WriteFileAtomically(hostsFile_ + suffix, text).ok;
    return {ok, ok ? std::string() : "cannot write " + hostsFile_ + suffix};
  }
  const std::string& hostsFile_;
};

}  // namespace quorlen
