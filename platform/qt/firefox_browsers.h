#pragma once

#include <string>
#include <vector>

#include "platform/qt/watched_browsers.h"

namespace quorlen {

// Every Firefox the program can join: one started with a remote-debugging port writes
// "WebDriverBiDiServer.json" (its host and port) into its profile folder.
//
// Firefox answers the blocked ad servers without being joined: a provided response does
// not pass its guard of the local network, but a server named in the profile's
// "network.lna.skip-domains" is let through to the web server. The program keeps the
// blocked names in "blocked-servers.txt" in each profile, and the launcher sets that
// preference from it at every start.
class FirefoxBrowsers : public WatchedBrowsers {
 public:
  explicit FirefoxBrowsers(std::vector<std::string> profileFolders, int scanMs = 1000);

  // The program's own Firefox profile, the one its launcher uses. A browser grants a
  // single remote session, so profiles that other remote tools may drive are left alone.
  static std::vector<std::string> DefaultProfileFolders();
  static constexpr const char* kBlockedServersFile = "blocked-servers.txt";

 protected:
  std::unique_ptr<BrowserConnection> Join(const std::string& folder, const std::string& portFile,
                                          BrowserConnection::Owner owner) override;
  bool JoinsToAnswer() const override { return false; }
  void BlockedServersChanged(const std::shared_ptr<const HostNameSet>& names) override;

 private:
  std::shared_ptr<const HostNameSet> written_;
};

}  // namespace quorlen
