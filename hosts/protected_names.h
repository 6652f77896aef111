#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quorlen::hosts {

// Host names compared as the resolver does, ignoring ASCII letter case, without copies.
struct FoldedHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const;
};
struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};
using FoldedNames = std::unordered_set<std::string_view, FoldedHash, FoldedEqual>;

// Every name that one of the user's own lines of the hosts text (any line but a blocking
// line "127.0.0.1 <name>") maps, as "10.0.0.5 intranet.example" does. Such a name is never
// newly blocked: the user's own address for it stays the one that counts. The names are
// views into the text.
FoldedNames NamesOfOwnLines(std::string_view hostsText);

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

 private:
  void Add(std::string_view name);
  std::unordered_set<std::string, FoldedHash, FoldedEqual> names_;
};

}  // namespace quorlen::hosts
