#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quorlen::hosts {

// The names this machine itself depends on. A list entry with one of them is never
// written, never counted as present, never taken out and never allowed, so that the
// user's own "127.0.0.1 localhost" line survives every build and removal.
//
// This knowingly departs from the program's original rules, under which an allowed
// "localhost" took the user's line out at every build and a blocked one counted as
// present and took it out at removal; without that line many programs stop working.
class ProtectedNames {
 public:
  // The fixed loopback names, the machine's own names, and every name the hosts text
  // maps to 127.0.1.1 or ::1.
  ProtectedNames(std::string_view hostsText, const std::vector<std::string>& machineNames);

  // Letter case does not matter, as for the resolver.
  bool Contains(std::string_view name) const;

  // Whether one of the user's own lines of the hosts text (any line but a blocking line
  // "127.0.0.1 <name>") maps the name, as "10.0.0.5 intranet.example" does. Such a name
  // is never newly blocked: the user's own address for it stays the one that counts.
  bool MappedByOwnLine(std::string_view name) const;

 private:
  // ASCII letter case is ignored in hashing and comparing, so a lookup copies nothing.
  struct FoldedHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const;
  };
  struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  using NameSet = std::unordered_set<std::string, FoldedHash, FoldedEqual>;
  static void Add(NameSet& set, std::string_view name);
  NameSet names_;
  NameSet mappedByOwnLines_;
};

}  // namespace quorlen::hosts
