#include "platform/linux/browser_set.h"

namespace quorlen {

BrowserSet::~BrowserSet() {
  if (sink_ != nullptr) Connect(nullptr);
}

std::vector<std::shared_ptr<BrowserWindow>> BrowserSet::Windows() {
  std::vector<std::shared_ptr<BrowserWindow>> windows;
  for (auto* shell : shells_) {
    for (auto& window : shell->Windows()) windows.push_back(std::move(window));
  }
  return windows;
}

void BrowserSet::Connect(BrowserShellEvents* sink) {
  sink_ = sink;
  for (auto* shell : shells_) shell->Connect(sink ? this : nullptr);
}

void BrowserSet::AnswerAdServers(AdServerAnswers answers) {
  for (auto* shell : shells_) shell->AnswerAdServers(answers);
}

void BrowserSet::WindowOpened(std::int32_t) {
  if (sink_) sink_->WindowOpened(nextCookie_++);
}

void BrowserSet::WindowClosed(std::int32_t) {
  if (sink_) sink_->WindowClosed(nextCookie_++);
}

}  // namespace quorlen
