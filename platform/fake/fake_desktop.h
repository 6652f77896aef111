#pragma once

#include <string>
#include <vector>

#include "platform/desktop.h"

namespace quorlen {

// A desktop whose proxy setting the test chooses and whose editor records what it opened.
class FakeDesktop : public Desktop {
 public:
  std::string ProxyServer() override { return proxyServer; }
  bool OpenTextFile(const std::string& path) override {
    opened.push_back(path);
    return true;
  }

  std::string proxyServer;
  std::vector<std::string> opened;
};

}  // namespace quorlen
