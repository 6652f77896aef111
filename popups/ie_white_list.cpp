#include "popups/ie_white_list.h"

#include <utility>

#include "core/text.h"

namespace quorlen {

namespace {
constexpr size_t kValueBuffer = 250;
}  // namespace

IEWhiteList::IEWhiteList(ProfileStore& profiles, Dialogs& dialogs,
                         std::function<void(const std::string&)> debugLog)
    : profiles_(profiles), dialogs_(dialogs), debugLog_(std::move(debugLog)) {}

void IEWhiteList::LoadIEWhiteList(const std::string& path) {
  dialogs_.SetWaitCursor(true);
  auto count =
      ToInt16(profiles_.GetPrivateProfileString("DomainCount", "N", "", path, kValueBuffer))
          .value_or(0);
  // A negative count cannot size the list: the load stops there and the old list stays.
  if (count >= 0) {
    entries_.emplace(static_cast<size_t>(count));
    lowered_.assign(static_cast<size_t>(count), std::string());
    ProfileStore::Snapshot file = profiles_.Open(path);
    for (int i = 0; i < count; ++i) {
      std::string value =
          Trim(file->GetString("Domains", "D" + std::to_string(i), "", kValueBuffer));
      if (value.empty()) continue;
      if (debugLog_) debugLog_("User Defined IE WhiteList in Memory '" + value + "'");
      lowered_[static_cast<size_t>(i)] = LowerCase(value);
      (*entries_)[static_cast<size_t>(i)] = std::move(value);
    }
  }
  dialogs_.SetWaitCursor(false);
}

IEWhiteList::Match IEWhiteList::MatchIEWhiteList(const std::string& url) const {
  if (!entries_) return {};
  std::string lowered = LowerCase(url);
  for (size_t i = 0; i < lowered_.size(); ++i) {
    const std::string& entry = lowered_[i];
    if (!entry.empty() && lowered.find(entry) != std::string::npos) {
      return {true, (*entries_)[i]};
    }
  }
  return {};
}

}  // namespace quorlen
