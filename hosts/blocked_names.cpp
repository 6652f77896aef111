#include "hosts/blocked_names.h"

#include <string_view>
#include <unordered_set>

#include "hosts/hosts_text.h"

namespace quorlen::hosts {

HostNameSet BlockedNames(const std::vector<std::string>& defaults,
                         const std::vector<std::string>& user,
                         const std::vector<std::string>& exclusions,
                         const ProtectedNames* protectedNames) {
  const std::unordered_set<std::string_view> allowed(exclusions.begin(), exclusions.end());
  std::vector<std::string_view> names;
  names.reserve(defaults.size() + user.size());
  for (const auto* list : {&defaults, &user}) {
    for (const std::string& entry : *list) {
      if (entry.empty() || !IsSafeHostName(entry) || allowed.count(entry) != 0) continue;
      if (protectedNames && protectedNames->Contains(entry)) continue;
      names.push_back(entry);
    }
  }
  return HostNameSet(names);
}

}  // namespace quorlen::hosts
