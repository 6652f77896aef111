#pragma once

#include <string>
#include <vector>

#include "core/host_name_set.h"
#include "hosts/protected_names.h"

namespace quorlen::hosts {

// The servers a build leaves blocked in the hosts file: every listed entry that can be a
// host name and is not protected, less the allowed ones. An allowed entry takes out only
// its exact line, so an allowed name in another letter case leaves the listed one blocked.
HostNameSet BlockedNames(const std::vector<std::string>& defaults,
                         const std::vector<std::string>& user,
                         const std::vector<std::string>& exclusions,
                         const ProtectedNames* protectedNames);

}  // namespace quorlen::hosts
