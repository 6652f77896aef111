#pragma once

#include <string>
#include <vector>

#include "platform/qt/watched_browsers.h"

namespace quorlen {

// Every Chromium-family browser the program can join: one that listens for DevTools
// clients writes its port and socket path into "DevToolsActivePort" in its profile folder.
class ChromiumBrowsers : public WatchedBrowsers {
 public:
  explicit ChromiumBrowsers(std::vector<std::string> profileFolders, int scanMs = 1000);

  // The program's own browser profile (the one its launcher uses) and Chromium's default.
  static std::vector<std::string> DefaultProfileFolders();

 protected:
  std::unique_ptr<BrowserConnection> Join(const std::string& folder, const std::string& portFile,
                                          BrowserConnection::Owner owner) override;
};

}  // namespace quorlen
