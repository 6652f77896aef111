#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/browser.h"
#include "platform/event_loop.h"
#include "popups/browser_activity.h"
#include "popups/input_monitor.h"
#include "popups/popup_decision.h"

namespace quorlen {

// What every window listener touches: the program-wide browsing state, the click flags
// its navigations clear, the decision its new windows go to, and the debug log.
struct BrowserTracking {
  BrowserActivity& activity;
  InputMonitor& input;
  PopupDecision& decision;
  std::function<void(const std::string&)> debugLog;
};

// The listener of one browser window: follows its navigations and downloads, keeps the
// little that the popup decision needs to know of the window, and hands the window's
// requests for new windows to the decision.
class IE_Class : public BrowserWindowEvents {
 public:
  explicit IE_Class(BrowserTracking& tracking);
  ~IE_Class() override;
  IE_Class(const IE_Class&) = delete;
  IE_Class& operator=(const IE_Class&) = delete;

  // Attaches the window and writes what it tells of itself to the debug log.
  void IEctl(std::shared_ptr<BrowserWindow> browser);

  bool bNavJava() const { return bNavJava_; }
  bool bDownloading() const { return bDownloading_; }
  const std::string& sLastCompleteURL() const { return sLastCompleteURL_; }

  void BeforeNavigate2(const std::string& url, bool topFrame);
  void DownloadBegin();
  void NavigateComplete2(const std::string& url, bool topFrame);
  void DocumentComplete(const std::string& url, bool topFrame);
  void DownloadComplete();
  bool NewWindow2(int msSinceAsked = 0);
  void OnQuit();
  void InputSeen(const PageInput& input) override;

 private:
  // The browser's events, each handed to the handler of the window's own event.
  void NavigationStarting(const std::string& url, bool topFrame) override {
    BeforeNavigate2(url, topFrame);
  }
  void LoadingStarted() override { DownloadBegin(); }
  void NavigationCommitted(const std::string& url, bool topFrame) override {
    NavigateComplete2(url, topFrame);
  }
  void DocumentLoaded(const std::string& url, bool topFrame) override {
    DocumentComplete(url, topFrame);
  }
  void LoadingStopped() override { DownloadComplete(); }
  bool WindowRequested(int msSinceAsked) override { return NewWindow2(msSinceAsked); }
  void WindowClosing() override { OnQuit(); }

  void Log(const std::string& message) {
    if (tracking_.debugLog) tracking_.debugLog(message);
  }

  BrowserTracking& tracking_;
  std::shared_ptr<BrowserWindow> IE_;
  bool bNavJava_ = false;
  bool bDownloading_ = false;
  std::string sLastCompleteURL_;
};

// Keeps one listener per open browser window. Any window opening or closing anywhere
// rebuilds the whole set, so every listener starts afresh. It exists only while popup
// blocking is on.
class cIEWindows : public BrowserShellEvents {
 public:
  // Starts tracking every window open now.
  cIEWindows(BrowserShell& shell, EventLoop& loop, BrowserTracking& tracking);
  // Lets go of every window and of the shell's events.
  ~cIEWindows() override;
  cIEWindows(const cIEWindows&) = delete;
  cIEWindows& operator=(const cIEWindows&) = delete;

  IE_Class& IE(int index);
  int Count() const { return static_cast<int>(colIE_.size()); }
  const std::vector<std::unique_ptr<IE_Class>>& NewEnum();

  void WindowRegistered(std::int32_t cookie);
  void WindowRevoked(std::int32_t cookie);

  bool bRefreshing() const { return bRefreshing_; }
  bool bHooked() const { return bHooked_; }

 private:
  void WindowOpened(std::int32_t cookie) override { WindowRegistered(cookie); }
  void WindowClosed(std::int32_t cookie) override { WindowRevoked(cookie); }
  void RefreshCol();
  void Add(std::shared_ptr<BrowserWindow> browser);
  void WaitForRefresh();
  void Log(const std::string& message) {
    if (tracking_.debugLog) tracking_.debugLog(message);
  }

  BrowserShell& shell_;
  EventLoop& loop_;
  BrowserTracking& tracking_;
  std::vector<std::unique_ptr<IE_Class>> colIE_;
  bool bRefreshing_ = false;
  bool bHooked_ = false;
};

}  // namespace quorlen
