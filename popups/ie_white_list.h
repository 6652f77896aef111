#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/private_profile.h"
#include "platform/dialogs.h"

namespace quorlen {

// The sites whose pages may open windows without a click: pieces of address text
// matched anywhere in the opener's address, ignoring letter case.
class IEWhiteList {
 public:
  struct Match {
    bool matched = false;
    std::string entry;  // as stored, letter case included
  };

  IEWhiteList(ProfileStore& profiles, Dialogs& dialogs,
              std::function<void(const std::string&)> debugLog);

  // Fills the list from the list file; a missing file gives an empty list.
  void LoadIEWhiteList(const std::string& path);
  // The first entry, in list order, that the address contains.
  Match MatchIEWhiteList(const std::string& url) const;

  // Slots 0 to N-1 hold the entries, empty where the file had none; nothing before the
  // first load.
  const std::optional<std::vector<std::string>>& aIEWhiteList() const { return entries_; }

 private:
  ProfileStore& profiles_;
  Dialogs& dialogs_;
  std::function<void(const std::string&)> debugLog_;
  std::optional<std::vector<std::string>> entries_;
  std::vector<std::string> lowered_;  // the entries in lower case, for matching
};

}  // namespace quorlen
