#include "platform/fake/fake_browser.h"

#include <algorithm>

namespace quorlen {

std::optional<std::string> FakeBrowserWindow::LocationURL() {
  if (gone) return std::nullopt;
  return url_;
}

BrowserWindowProperties FakeBrowserWindow::Properties() {
  if (gone) return {};
  BrowserWindowProperties properties;
  properties.application = "Fake Browser";
  properties.addressBar = true;
  properties.locationName = title;
  properties.locationUrl = url_;
  properties.type = "page";
  return properties;
}

void FakeBrowserWindow::Navigate(const std::string& url) {
  if (sink_) sink_->BeforeNavigate2(url, true);
  if (sink_) sink_->DownloadBegin();
  url_ = url;
  if (sink_) sink_->NavigateComplete2(url, true);
  if (sink_) sink_->DocumentComplete(url, true);
  if (sink_) sink_->DownloadComplete();
}

void FakeBrowserWindow::NavigateFrame(const std::string& url) {
  if (sink_) sink_->BeforeNavigate2(url, false);
  if (sink_) sink_->NavigateComplete2(url, false);
  if (sink_) sink_->DocumentComplete(url, false);
}

bool FakeBrowserWindow::AskForWindow() { return sink_ != nullptr && sink_->NewWindow2(); }

std::vector<std::shared_ptr<BrowserWindow>> FakeBrowserShell::Windows() {
  return {windows_.begin(), windows_.end()};
}

void FakeBrowserShell::Connect(BrowserShellEvents* sink) {
  if (sink) {
    ++connects;
  } else if (sink_) {
    ++disconnects;
  }
  sink_ = sink;
}

std::shared_ptr<FakeBrowserWindow> FakeBrowserShell::Open(const std::string& url) {
  auto window = std::make_shared<FakeBrowserWindow>(url);
  windows_.push_back(window);
  if (sink_) sink_->WindowRegistered(nextCookie_++);
  return window;
}

void FakeBrowserShell::Close(const std::shared_ptr<FakeBrowserWindow>& window) {
  if (window->sink_) window->sink_->OnQuit();
  window->gone = true;
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  if (sink_) sink_->WindowRevoked(nextCookie_++);
}

bool FakeBrowserShell::OpenFrom(const std::shared_ptr<FakeBrowserWindow>& opener,
                                const std::string& popupUrl) {
  bool cancelled = opener->AskForWindow();
  if (!cancelled) Open(popupUrl);
  return cancelled;
}

}  // namespace quorlen
