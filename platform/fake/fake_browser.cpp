#include "platform/fake/fake_browser.h"

#include <algorithm>

namespace quorlen {

std::optional<std::string> FakeBrowserWindow::PageAddress() {
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
  if (sink_) sink_->NavigationStarting(url, true);
  if (sink_) sink_->LoadingStarted();
  url_ = url;
  if (sink_) sink_->NavigationCommitted(url, true);
  if (sink_) sink_->DocumentLoaded(url, true);
  if (sink_) sink_->LoadingStopped();
}

void FakeBrowserWindow::NavigateFrame(const std::string& url) {
  if (sink_) sink_->NavigationStarting(url, false);
  if (sink_) sink_->NavigationCommitted(url, false);
  if (sink_) sink_->DocumentLoaded(url, false);
}

bool FakeBrowserWindow::AskForWindow(int msSinceAsked) {
  return sink_ != nullptr && sink_->WindowRequested(msSinceAsked);
}

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
  if (sink_) sink_->WindowOpened(nextCookie_++);
  return window;
}

void FakeBrowserShell::Close(const std::shared_ptr<FakeBrowserWindow>& window) {
  if (window->sink_) window->sink_->WindowClosing();
  window->gone = true;
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  if (sink_) sink_->WindowClosed(nextCookie_++);
}

bool FakeBrowserShell::OpenFrom(const std::shared_ptr<FakeBrowserWindow>& opener,
                                const std::string& popupUrl, int msSinceAsked) {
  bool cancelled = opener->AskForWindow(msSinceAsked);
  if (!cancelled) Open(popupUrl);
  return cancelled;
}

}  // namespace quorlen
