#pragma once

#include <string>
#include <vector>

#include "platform/qt/watched_browsers.h"

namespace quorlen {

// Every Firefox the program can join: one started by quorlen-browser, whose launcher holds
// the browser's one WebDriver BiDi session and serves it over its socket.
//
// Firefox answers the blocked ad servers without being joined: a provided response does
// not pass its guard of the local network, but a server named in the profile's
// "network.lna.skip-domains" is let through to the web server. The program keeps the
// blocked names in "blocked-servers.txt" in each profile, and the launcher sets that
// preference from it at every start.
class FirefoxBrowsers : public WatchedBrowsers {
 public:
  explicit FirefoxBrowsers(std::vector<Place> places, int scanMs = 1000);

  // The program's own Firefox profile, run by the launcher.
  static std::vector<Place> DefaultPlaces();
  static constexpr const char* kBlockedServersFile = "blocked-servers.txt";

 protected:
  std::unique_ptr<BrowserConnection> Join(const std::string& folder, const std::string& socket,
                                          BrowserConnection::Owner owner) override;
  bool JoinsToAnswer() const override { return false; }
  void BlockedServersChanged(const std::shared_ptr<const HostNameSet>& names) override;

 private:
  std::shared_ptr<const HostNameSet> written_;
};

}  // namespace quorlen
