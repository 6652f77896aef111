#include "titles/popup_titles.h"

#include "core/list_and_text_files.h"
#include "core/text.h"

namespace quorlen {

PopupTitles::PopupTitles(ProfileStore& profiles, Dialogs& dialogs, const std::string& userList,
                         const std::string& defaultList,
                         std::function<void(const std::string&)> debugLog)
    : profiles_(profiles),
      dialogs_(dialogs),
      userList_(userList),
      defaultList_(defaultList),
      debugLog_(std::move(debugLog)) {}

void PopupTitles::LoadPopupTitles() {
  dialogs_.SetWaitCursor(true);
  const std::string& path = FileExists(userList_) ? userList_ : defaultList_;
  ProfileStore::Snapshot file = profiles_.Open(path);
  std::int16_t count = ToInt16(file->GetString("DomainCount", "N", "", 250)).value_or(0);
  // A negative count cannot size the list: the step fails and the old fragments stay.
  if (count >= 0) {
    slots_.assign(static_cast<size_t>(count), std::string());
    lowered_.assign(static_cast<size_t>(count), std::string());
    for (std::int16_t i = 0; i < count; ++i) {
      std::string value = Trim(file->GetString("Domains", "D" + std::to_string(i), "", 250));
      if (value.empty()) continue;
      debugLog_("User Defined Popup in Memory '" + value + "'");
      lowered_[static_cast<size_t>(i)] = LowerCase(value);
      slots_[static_cast<size_t>(i)] = std::move(value);
    }
  }
  dialogs_.SetWaitCursor(false);
}

PopupTitles::Match PopupTitles::MatchPopupTitle(const std::string& title) const {
  if (title.empty()) return {};
  const std::string lowered = LowerCase(title);
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (!lowered_[i].empty() && lowered.find(lowered_[i]) != std::string::npos) {
      return {true, slots_[i]};
    }
  }
  return {};
}

}  // namespace quorlen
