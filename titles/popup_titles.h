#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/private_profile.h"
#include "platform/dialogs.h"

namespace quorlen {

// The title fragments the title watcher closes windows by (`aPopupTitles`): the user's
// list "usertitles.ini" when there is one, else the shipped "qltitles.ini".
class PopupTitles {
 public:
  struct Match {
    bool matched = false;
    std::string fragment;  // as stored in the list
  };

  // The two list paths are read at each load, so they may be set after construction.
  PopupTitles(ProfileStore& profiles, Dialogs& dialogs, const std::string& userList,
              const std::string& defaultList, std::function<void(const std::string&)> debugLog);

  // Reads the list anew. An entry that is empty after trimming leaves its slot empty; a
  // count that is not a number loads nothing.
  void LoadPopupTitles();
  // The first fragment in list order that the title contains, letter case ignored.
  Match MatchPopupTitle(const std::string& title) const;

  // Slots 0 to N-1 in file order; slot N, always empty, is not kept.
  const std::vector<std::string>& Fragments() const { return slots_; }

 private:
  ProfileStore& profiles_;
  Dialogs& dialogs_;
  const std::string& userList_;
  const std::string& defaultList_;
  std::function<void(const std::string&)> debugLog_;
  std::vector<std::string> slots_;
  std::vector<std::string> lowered_;  // the slots in lower case, made once per load
};

}  // namespace quorlen
