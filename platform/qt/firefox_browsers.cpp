#include "platform/qt/firefox_browsers.h"

#include <algorithm>
#include <filesystem>

#include "launcher/paths.h"
#include "platform/atomic_write.h"
#include "platform/qt/bidi_connection.h"

namespace quorlen {

FirefoxBrowsers::FirefoxBrowsers(std::vector<Place> places, int scanMs)
    : WatchedBrowsers(std::move(places), scanMs) {}

std::vector<WatchedBrowsers::Place> FirefoxBrowsers::DefaultPlaces() {
  return {{LauncherProfileFolder("firefox"), LauncherSocketPath("firefox")}};
}

std::unique_ptr<BrowserConnection> FirefoxBrowsers::Join(const std::string& folder,
                                                         const std::string& socket,
                                                         BrowserConnection::Owner owner) {
  return std::make_unique<BiDiConnection>(QString::fromStdString(socket), folder, std::move(owner));
}

void FirefoxBrowsers::BlockedServersChanged(const std::shared_ptr<const HostNameSet>& names) {
  // While the web server is stopped the names stay for the browser's next start.
  if (!names || names == written_) return;
  written_ = names;
  // One name a line. A name with a character the preference could take for a wildcard,
  // a separator or the end of its text is left out.
  std::string text;
  text.reserve(names->Text().size());
  std::string_view all = names->Text();
  for (std::size_t start = 0; start < all.size();) {
    std::size_t end = all.find('\n', start);
    std::string_view name = all.substr(start, end - start);
    start = end + 1;
    bool plain = std::all_of(name.begin(), name.end(), [](char c) {
      return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
    });
    if (plain) text.append(name).push_back('\n');
  }
  for (const auto& folder : ProfileFolders()) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    WriteFileAtomically(folder + "/" + kBlockedServersFile, text);
  }
}

}  // namespace quorlen
