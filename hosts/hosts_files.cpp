#include "hosts/hosts_files.h"

#include "core/list_and_text_files.h"

namespace quorlen {

HostsFiles::HostsFiles(PrivilegedOperations& privileged, const std::string& hostsFile)
    : privileged_(privileged), hostsFile_(hostsFile) {}

bool HostsFiles::Kept(const PrivilegedOperations::Outcome& outcome) {
  if (!outcome.ok) lastFailure_ = outcome.error;
  return outcome.ok;
}

bool HostsFiles::Write(std::string_view text) { return Kept(privileged_.WriteHostsFile(text)); }

bool HostsFiles::KeepBackup() {
  if (FileExists(Backup())) return false;
  return Kept(privileged_.WriteHostsBackup(ReadTextFile(hostsFile_)));
}

bool HostsFiles::KeepFullCopy() {
  return Kept(privileged_.WriteHostsFullCopy(ReadTextFile(hostsFile_)));
}

bool HostsFiles::PutBack(const std::string& copy) {
  if (!FileExists(copy)) return false;
  return Write(ReadTextFile(copy));
}

}  // namespace quorlen
