#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/browser.h"

namespace quorlen {

// A browser window driven by a test: its page navigates, opens windows and closes, and
// every event goes to the connected sink in the browser's order.
class FakeBrowserWindow : public BrowserWindow {
 public:
  explicit FakeBrowserWindow(std::string url) : url_(std::move(url)) {}

  std::optional<std::string> PageAddress() override;
  BrowserWindowProperties Properties() override;
  void Connect(BrowserWindowEvents* sink) override { sink_ = sink; }

  // A whole navigation of the top page: before, download begin, the address changes,
  // navigate complete, document complete, download complete.
  void Navigate(const std::string& url);
  // A frame's navigation: before and navigate complete of the frame, then its document.
  void NavigateFrame(const std::string& url);
  // The page asks for a window, announced `msSinceAsked` after it asked; true when it was
  // cancelled. Without a sink it opens.
  bool AskForWindow(int msSinceAsked = 0);
  // The user presses a button or key in the page.
  void Press(const PageInput& input) {
    if (sink_) sink_->InputSeen(input);
  }

  BrowserWindowEvents* Sink() const { return sink_; }
  bool gone = false;  // the window has closed: reads fail
  std::string title = "Test page";

 private:
  friend class FakeBrowserShell;
  std::string url_;
  BrowserWindowEvents* sink_ = nullptr;
};

// The windows of the browsers a test runs. Windows open and close by the test's hand;
// the connected sink hears of each.
class FakeBrowserShell : public BrowserShell {
 public:
  std::vector<std::shared_ptr<BrowserWindow>> Windows() override;
  void Connect(BrowserShellEvents* sink) override;
  void AnswerAdServers(AdServerAnswers answers) override { answers_ = std::move(answers); }

  // What the joined browsers answer now.
  const AdServerAnswers& Answers() const { return answers_; }
  // Opens a window at `url`, or the popup a page asked for.
  std::shared_ptr<FakeBrowserWindow> Open(const std::string& url);
  // Closes the window: it quits, then the shell revokes it.
  void Close(const std::shared_ptr<FakeBrowserWindow>& window);
  // The page asks for a window, announced `msSinceAsked` after it asked; an allowed one
  // opens at `popupUrl`. True when cancelled.
  bool OpenFrom(const std::shared_ptr<FakeBrowserWindow>& opener,
                const std::string& popupUrl = "http://popup.example/ad.html", int msSinceAsked = 0);

  BrowserShellEvents* Sink() const { return sink_; }
  int connects = 0;
  int disconnects = 0;

 private:
  std::vector<std::shared_ptr<FakeBrowserWindow>> windows_;
  BrowserShellEvents* sink_ = nullptr;
  AdServerAnswers answers_;
  std::int32_t nextCookie_ = 1;
};

}  // namespace quorlen
