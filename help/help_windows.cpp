#include "help/help_windows.h"

namespace quorlen {

HelpWindows::HelpWindows(Services services, SiteAddresses sites, std::string ownVersion)
    : sites_(std::move(sites)),
      opener_(services.desktop, services.dialogs, services.system.TempFolder()),
      help_(opener_,
            {[this] { return sHelpURL_; }, [this](const std::string& url) { SetHelpURL(url); }},
            sites_.vendor),
      feedback_(opener_, services.dialogs, {sites_.maker, ownVersion},
                [&loop = services.loop] { loop.DoEvents(); }),
      about_(services.system, {"Quorlen", ownVersion, sites_.vendor, sites_.maker},
             {[this](const std::string& url) { OpenPage(url); }, [this] { ShowFeedback(); }}) {}

void HelpWindows::OpenPage(const std::string& address) {
  SetHelpURL(address);
  help_.Show();
}

void HelpWindows::ShowFeedback() {
  feedback_.sProduct = "Quorlen";
  feedback_.Show();
}

void HelpWindows::UnloadAll() {
  help_.Unload();
  feedback_.cmdCancel_Click();
  about_.cmdOK_Click();
}

}  // namespace quorlen
