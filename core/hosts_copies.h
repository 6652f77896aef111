#pragma once

#include <string>
#include <string_view>

namespace quorlen {

// The two copies of the hosts file kept beside it, named by a suffix to its path: the
// user's own file from before blocking began, and the blocking version for the next start.
inline constexpr std::string_view kHostsBackupSuffix = "qlb";
inline constexpr std::string_view kHostsFullCopySuffix = "qlf";

inline std::string HostsBackupOf(const std::string& hostsFile) {
  return hostsFile + std::string(kHostsBackupSuffix);
}
inline std::string HostsFullCopyOf(const std::string& hostsFile) {
  return hostsFile + std::string(kHostsFullCopySuffix);
}

}  // namespace quorlen
