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
// Views into a hosts text, for a judgement over that text alone.
using FoldedNames = std::unordered_set<std::string_view, FoldedHash, FoldedEqual>;

// Host names that outlive the text they came from.
class NameSet {
 public:
  void Add(std::string_view name);
  bool Contains(std::string_view name) const { return names_.find(name) != names_.end(); }

 private:
  std::unordered_set<std::string, FoldedHash, FoldedEqual> names_;
};

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

  bool Contains(std::string_view name) const { return names_.Contains(name); }

 private:
  NameSet names_;
};

// What the user set up in the hosts file is the user's, whatever a list from the vendor
// site says: the original rules let a list shadow "10.0.0.5 intranet.example" with a
// blocking line above it and strike the user's own "127.0.0.1 printer.lan"; these
// knowingly depart from them.
//
// The user's own lines are the lines of the hosts text that are neither blank, nor
// comments, nor blocking lines ("127.0.0.1 " and one name), and every line of the user's
// saved file ("qlb", the hosts file from before blocking began), where a line of the
// blocking form is the user's too. OwnMappedNames gives every name those lines map: no
// list adds a blocking line for one. OwnBlockedNames gives the names of the saved file's
// blocking-form lines: no removal takes one out.
NameSet OwnMappedNames(std::string_view hostsText, std::string_view savedText);
// The names the user's own lines of the hosts text map, as views into it: the helper
// refuses a new blocking line for one of them.
FoldedNames NamesOfOwnLines(std::string_view hostsText);
NameSet OwnBlockedNames(std::string_view savedText);

// The hosts of the system's package sources, which the vendor's list never blocks, so that
// it cannot cut the machine off its updates: the addresses of apt's "sources.list" and of
// the "*.list" (one-line format) and "*.sources" (deb822 format) files of
// "sources.list.d" under `aptFolder`. Missing files give none.
std::vector<std::string> PackageSourceHosts(const std::string& aptFolder);
// The same from the text of one file of either format.
void AddOneLineSourceHosts(std::string_view text, std::vector<std::string>& hosts);
void AddDeb822SourceHosts(std::string_view text, std::vector<std::string>& hosts);

// The host of an address such as "https://user@deb.example.org:8080/debian/" or
// "mirror+http://mirrors.example/": empty when it names none ("file:/srv", "cdrom:[x]/").
std::string HostOfAddress(std::string_view address);

}  // namespace quorlen::hosts
