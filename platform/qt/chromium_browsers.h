#pragma once

#include <string>
#include <vector>

#include "platform/qt/watched_browsers.h"

namespace quorlen {

// Every Chromium the program can join: one started by quorlen-browser, whose launcher
// keeps its remote-debugging pipe and passes the DevTools messages on over its socket.
class ChromiumBrowsers : public WatchedBrowsers {
 public:
  explicit ChromiumBrowsers(std::vector<Place> places, int scanMs = 1000);

  // The program's own browser profile, run by the launcher.
  static std::vector<Place> DefaultPlaces();

 protected:
  std::unique_ptr<BrowserConnection> Join(const std::string& folder, const std::string& socket,
                                          BrowserConnection::Owner owner) override;
};

}  // namespace quorlen
