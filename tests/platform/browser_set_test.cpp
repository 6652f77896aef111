#include "platform/linux/browser_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_browser.h"

namespace quorlen {
namespace {

class ShellEvents : public BrowserShellEvents {
 public:
  void WindowOpened(std::int32_t cookie) override {
    heard.push_back("registered " + std::to_string(cookie));
  }
  void WindowClosed(std::int32_t cookie) override {
    heard.push_back("revoked " + std::to_string(cookie));
  }
  std::vector<std::string> heard;
};

std::vector<std::string> Urls(BrowserShell& shell) {
  std::vector<std::string> urls;
  for (auto& window : shell.Windows()) urls.push_back(window->PageAddress().value_or("?"));
  return urls;
}

TEST(BrowserSet, HoldsTheWindowsOfEveryBrowserInTheOrderTheBrowsersWereGiven) {
  FakeBrowserShell chromium, firefox;
  BrowserSet set({&chromium, &firefox});
  auto fox = firefox.Open("http://fox.example/");
  chromium.Open("http://one.example/");
  chromium.Open("http://two.example/");
  EXPECT_EQ(Urls(set), (std::vector<std::string>{"http://one.example/", "http://two.example/",
                                                 "http://fox.example/"}));
  firefox.Close(fox);
  EXPECT_EQ(Urls(set).size(), 2u);
}

// The set lets go of every browser when it goes.
TEST(BrowserSet, ReportsEveryBrowsersWindowsWithCookiesOfItsOwn) {
  FakeBrowserShell chromium, firefox;
  ShellEvents events;
  auto owned = std::make_unique<BrowserSet>(std::vector<BrowserShell*>{&chromium, &firefox});
  BrowserSet& set = *owned;
  chromium.Open("http://before.example/");  // nobody listens yet
  set.Connect(&events);
  EXPECT_EQ(std::tuple(chromium.connects, firefox.connects), std::tuple(1, 1));
  auto one = chromium.Open("http://one.example/");
  auto fox = firefox.Open("http://fox.example/");
  firefox.Close(fox);
  chromium.Close(one);
  // Each browser counts its own cookies from 1; the set's never repeat.
  EXPECT_EQ(events.heard,
            (std::vector<std::string>{"registered 1", "registered 2", "revoked 3", "revoked 4"}));
  set.Connect(nullptr);
  EXPECT_EQ(std::tuple(chromium.disconnects, firefox.disconnects), std::tuple(1, 1));
  chromium.Open("http://after.example/");
  EXPECT_EQ(events.heard.size(), 4u);
  set.Connect(&events);
  owned.reset();
  EXPECT_EQ(std::tuple(chromium.Sink(), firefox.Sink()), std::tuple(nullptr, nullptr));
}

}  // namespace
}  // namespace quorlen
