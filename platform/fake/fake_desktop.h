#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop.h"

namespace quorlen {

// A desktop whose proxy setting and browser the test chooses, and whose editor and
// browser record what they were asked to open.
class FakeDesktop : public Desktop {
 public:
  std::string ProxyServer() override { return proxyServer; }
  bool OpenTextFile(const std::string& path) override {
    opened.push_back(path);
    return editorStarts;
  }
  std::string FindBrowser(const std::string& pageFile) override {
    browserAskedAbout.push_back(pageFile);
    if (whileFindingBrowser) whileFindingBrowser(pageFile);
    return browser;
  }
  bool StartBrowser(const std::string& program, const std::string& address) override {
    browsed.emplace_back(program, address);
    return browserStarts;
  }

  std::string proxyServer;
  std::vector<std::string> opened;
  bool editorStarts = true;
  std::string browser = "/usr/bin/chromium";
  bool browserStarts = true;
  std::vector<std::string> browserAskedAbout;
  // Runs while the browser is looked up, when the page file must be on disk.
  std::function<void(const std::string&)> whileFindingBrowser;
  std::vector<std::pair<std::string, std::string>> browsed;  // program, address
};

}  // namespace quorlen
