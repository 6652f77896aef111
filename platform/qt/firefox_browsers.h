#pragma once

#include <string>
#include <vector>

#include "platform/qt/watched_browsers.h"

namespace quorlen {

// Every Firefox the program can join: one started with a remote-debugging port writes
// "WebDriverBiDiServer.json" (its host and port) into its profile folder.
class FirefoxBrowsers : public WatchedBrowsers {
 public:
  explicit FirefoxBrowsers(std::vector<std::string> profileFolders, int scanMs = 1000);

  // The program's own Firefox profile, the one its launcher uses. A browser grants a
  // single remote session, so profiles that other remote tools may drive are left alone.
  static std::vector<std::string> DefaultProfileFolders();

 protected:
  std::unique_ptr<BrowserConnection> Join(const std::string& folder, const std::string& portFile,
                                          BrowserConnection::Owner owner) override;
};

}  // namespace quorlen
