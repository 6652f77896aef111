#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/browser.h"

namespace quorlen {

// The windows of several browser services as one set, as the shell's window collection
// held every browser window: a user with two browsers open is followed in both. Windows
// come in the order the services were given; each window that opens or closes anywhere
// is reported with a cookie of the set's own.
class BrowserSet : public BrowserShell, private BrowserShellEvents {
 public:
  explicit BrowserSet(std::vector<BrowserShell*> shells) : shells_(std::move(shells)) {}
  ~BrowserSet() override;
  BrowserSet(const BrowserSet&) = delete;
  BrowserSet& operator=(const BrowserSet&) = delete;

  std::vector<std::shared_ptr<BrowserWindow>> Windows() override;
  void Connect(BrowserShellEvents* sink) override;
  void AnswerAdServers(AdServerAnswers answers) override;

 private:
  void WindowOpened(std::int32_t cookie) override;
  void WindowClosed(std::int32_t cookie) override;

  std::vector<BrowserShell*> shells_;
  BrowserShellEvents* sink_ = nullptr;
  std::int32_t nextCookie_ = 1;
};

}  // namespace quorlen
