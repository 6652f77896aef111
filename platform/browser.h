#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/host_name_set.h"
#include "platform/input.h"

namespace quorlen {

// What a browser tells of one of its windows when the popup blocker joins it; a property
// the browser cannot tell stays empty.
struct BrowserWindowProperties {
  std::optional<std::string> application;
  std::optional<bool> addressBar;
  std::optional<std::string> fullName;
  std::optional<std::string> locationName;
  std::optional<std::string> locationUrl;
  std::optional<std::string> path;
  std::optional<std::string> type;
};

// The events of one browser window, in the order a navigation usually raises them. Each
// runs on the user-interface thread.
class BrowserWindowEvents {
 public:
  virtual ~BrowserWindowEvents() = default;
  // A navigation starts in the window's top page or in one of its frames.
  virtual void NavigationStarting(const std::string& url, bool topFrame) = 0;
  virtual void LoadingStarted() = 0;
  virtual void NavigationCommitted(const std::string& url, bool topFrame) = 0;
  // A document has loaded, the top page's or a frame's.
  virtual void DocumentLoaded(const std::string& url, bool topFrame) = 0;
  virtual void LoadingStopped() = 0;
  // A page of this window (or one of its frames) asks for a new window. True cancels it:
  // the new window never loads its address. The browser holds the page until the answer,
  // so it must come at once. `msSinceAsked` is how long ago the page asked, where the
  // browser (or the page) tells it; 0 when it is now.
  virtual bool WindowRequested(int msSinceAsked) = 0;
  // The window is closing.
  virtual void WindowClosing() = 0;
  // The user pressed a button or key in a page of this window (or in one of its frames).
  // A press that makes a page ask for a window is told before that window's WindowRequested.
  virtual void InputSeen(const PageInput& input) = 0;
};

// One browser window (a tab), shared by the browser service and whoever follows it. It
// stays a valid object after the window has closed; its reads then fail.
class BrowserWindow {
 public:
  virtual ~BrowserWindow() = default;
  // The address of the window's top page; nothing when it cannot be read.
  virtual std::optional<std::string> PageAddress() = 0;
  virtual BrowserWindowProperties Properties() = 0;
  // Sends the window's events to `sink` from now on; null stops them. A new window that
  // nobody is asked about opens.
  virtual void Connect(BrowserWindowEvents* sink) = 0;
};

// A window opened or closed in a joined browser; `cookie` numbers the change.
class BrowserShellEvents {
 public:
  virtual ~BrowserShellEvents() = default;
  virtual void WindowOpened(std::int32_t cookie) = 0;
  virtual void WindowClosed(std::int32_t cookie) = 0;
};

// The ad servers the hosts file sends to the web server, and the web server's answer. A
// browser asked for one of them from a page of a public site guards the local network
// and never lets the request reach the web server, so a joined browser answers such
// requests itself, before they leave it, with the same placeholder, counted the same.
struct AdServerAnswers {
  // The servers blocked now; null while the web server does not run.
  std::shared_ptr<const HostNameSet> names;
  // The placeholder for one request, given as the HTTP request it would have sent: the
  // request line, then the Host, Referer and User-Agent lines the browser had for it.
  std::function<std::string(const std::string& request)> answer;
};

// Every browser window the program can follow, across the browsers it can join. The
// shell joins browsers while a sink is connected or it answers ad servers.
class BrowserShell {
 public:
  virtual ~BrowserShell() = default;
  // The windows open now, in a stable order.
  virtual std::vector<std::shared_ptr<BrowserWindow>> Windows() = 0;
  // From now on the shell reports windows that open or close to `sink`, and their events
  // go to the sinks of their windows; null stops that.
  virtual void Connect(BrowserShellEvents* sink) = 0;
  // From now on joined browsers answer the requests for `answers.names`; with no names,
  // or none listed, every request goes its own way.
  virtual void AnswerAdServers(AdServerAnswers answers) = 0;
};

}  // namespace quorlen
