#pragma once

#include <string>
#include <string_view>

#include "core/hosts_copies.h"
#include "platform/privileged.h"

namespace quorlen {

// How the status area begins the reason when the hosts file could not be changed.
inline constexpr std::string_view kHostsNotWritten = "Quorlen could not change the hosts file: ";

// The hosts file and its two copies as ad-server blocking writes them: every write goes
// through the privileged operations (the program itself as root, or the helper). A failed
// write keeps its reason, so the user learns that blocking does not happen instead of
// being told it does.
class HostsFiles {
 public:
  HostsFiles(PrivilegedOperations& privileged, const std::string& hostsFile);

  // Replaces the hosts file by exactly `text`.
  bool Write(std::string_view text);
  // Keeps the hosts file as the user's own from before blocking ("qlb"), once.
  bool KeepBackup();
  // Keeps the hosts file as its blocking version ("qlf") for the next start.
  bool KeepFullCopy();
  // Puts a kept copy back as the hosts file; false, and nothing said, when there is none.
  bool PutBack(const std::string& copy);

  std::string Backup() const { return HostsBackupOf(hostsFile_); }
  std::string FullCopy() const { return HostsFullCopyOf(hostsFile_); }
  // Why the last write failed.
  const std::string& LastFailure() const { return lastFailure_; }

 private:
  bool Kept(const PrivilegedOperations::Outcome& outcome);

  PrivilegedOperations& privileged_;
  const std::string& hostsFile_;
  std::string lastFailure_;
};

}  // namespace quorlen
