#include "platform/fake/fake_system.h"

namespace quorlen {

std::string FakeSystemInfo::HostsFile(bool isNT, const std::string& folder) {
  if (!hostsFile.empty()) return hostsFile;
  return isNT ? folder + "/system32/drivers/etc/Hosts" : folder + "/hosts";
}

}  // namespace quorlen
