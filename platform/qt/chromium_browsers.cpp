#include "platform/qt/chromium_browsers.h"

#include "launcher/paths.h"
#include "platform/qt/devtools_connection.h"

namespace quorlen {

ChromiumBrowsers::ChromiumBrowsers(std::vector<Place> places, int scanMs)
    : WatchedBrowsers(std::move(places), scanMs) {}

std::vector<WatchedBrowsers::Place> ChromiumBrowsers::DefaultPlaces() {
  return {{LauncherProfileFolder("chromium"), LauncherSocketPath("chromium")}};
}

std::unique_ptr<BrowserConnection> ChromiumBrowsers::Join(const std::string& folder,
                                                          const std::string& socket,
                                                          BrowserConnection::Owner owner) {
  return std::make_unique<DevToolsConnection>(QString::fromStdString(socket), folder,
                                              std::move(owner));
}

}  // namespace quorlen
