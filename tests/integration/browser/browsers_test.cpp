// The DevTools (Chromium) and WebDriver BiDi (Firefox) clients against the real browsers.
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>

#include "launcher/launcher_server.h"
#include "platform/qt/chromium_browsers.h"
#include "platform/qt/firefox_browsers.h"
#include "tests/integration/browser/browser_fixture.h"

namespace quorlen {
namespace {

using testing_support::BrowserProcess;
using testing_support::kPressPage;
using testing_support::LoggingWebServer;
using testing_support::RecordingTracker;
using testing_support::RunFor;
using testing_support::TempFolder;
using testing_support::WaitUntil;
using testing_support::Xdotool;

// A fresh profile makes the first start slow, the more so on a busy machine.
constexpr int kStartMs = 60000;

std::unique_ptr<WatchedBrowsers> ShellFor(bool firefox, const BrowserProcess& browser) {
  if (firefox)
    return std::unique_ptr<WatchedBrowsers>(
        new FirefoxBrowsers({{browser.Profile(), browser.Socket()}}, 100));
  return std::unique_ptr<WatchedBrowsers>(
      new ChromiumBrowsers({{browser.Profile(), browser.Socket()}}, 100));
}

class BrowserFixture : public ::testing::Test {
 protected:
  explicit BrowserFixture(bool inFirefox)
      : firefox(inFirefox),
        browser(folder.File("config"), inFirefox),
        shell(ShellFor(inFirefox, browser)),
        tracker(*shell) {}

  // The program runs first; the browser starts later with the given page.
  void StartWith(const std::string& path) {
    tracker.Start();
    StartOn(path);
    const std::string shown = "complete top " + web.Url(path);
    ASSERT_TRUE(WaitUntil(
        [&] {
          int at = tracker.At(shown);
          return tracker.Windows() == 1 && at >= 0 &&
                 tracker.HasBetween("download complete", at, tracker.events.size());
        },
        kStartMs))
        << tracker.Dump();
  }
  // A browser loads its first page before the program may have joined it, so it starts on
  // a page that waits for the join and only then goes to `path`.
  void StartOn(const std::string& path) {
    web.Page("/joined", "no");
    web.Page("/hold.html",
             "<html><body><script>const wait = () => fetch('/joined').then(r => r.text())"
             ".then(t => t == 'yes' ? location = '" +
                 path +
                 "' : setTimeout(wait, 100)); wait()"
                 "</script></body></html>");
    browser.Start({web.Url("/hold.html")});
    ASSERT_TRUE(
        WaitUntil([&] { return shell->JoinedBrowsers() == 1 && tracker.Windows() >= 1; }, kStartMs))
        << tracker.Dump();
    web.Page("/joined", "yes");
  }

  const bool firefox;
  TempFolder folder;
  LoggingWebServer web;
  BrowserProcess browser;
  std::unique_ptr<WatchedBrowsers> shell;
  RecordingTracker tracker;
};

class BrowsersTest : public BrowserFixture, public ::testing::WithParamInterface<bool> {
 protected:
  BrowsersTest() : BrowserFixture(GetParam()) {}
};

std::string BrowserName(const ::testing::TestParamInfo<bool>& param) {
  return param.param ? "Firefox" : "Chromium";
}

INSTANTIATE_TEST_SUITE_P(Browsers, BrowsersTest, ::testing::Bool(), BrowserName);

// A page goes on to one with two frames, one of another site, then moves within it.
TEST_P(BrowsersTest, NavigationEventsComeInTheBrowsersOrderAndFramesAsFramesOfTheirPage) {
  web.Page("/start.html",
           "<html><body>start<script>setTimeout(() => location = '/next.html', 300)</script>"
           "</body></html>");
  web.Page("/next.html",
           "<html><body><a id=f href='#part'>part</a><iframe src='/inner.html'>"
           "</iframe><iframe src='" +
               web.Url("/cross.html", "localhost") +
               "'></iframe><script>onload = () => setTimeout(() => f.click(), 300)"
               "</script></body></html>");
  StartWith("/start.html");
  std::string next = web.Url("/next.html");
  std::vector<std::string> order{"before top " + next, "download begin", "complete top " + next,
                                 "document top " + next, "download complete"};
  // Firefox tells of a move within the document too.
  if (firefox) order.push_back("complete top " + next + "#part");
  ASSERT_TRUE(WaitUntil([&] { return tracker.InOrder(order); })) << "out of order:\n"
                                                                 << tracker.Dump();
  EXPECT_EQ(tracker.Count("before top " + next), 1) << tracker.Dump();
  std::string same = web.Url("/inner.html");
  std::string cross = web.Url("/cross.html", "localhost");
  // Firefox tells of each frame's document too.
  const std::string last = firefox ? "document frame " : "complete frame ";
  ASSERT_TRUE(WaitUntil([&] { return tracker.Has(last + same) && tracker.Has(last + cross); }))
      << tracker.Dump();
  for (const auto& frame : {same, cross}) {
    EXPECT_TRUE(tracker.Has("before frame " + frame)) << tracker.Dump();
    EXPECT_TRUE(tracker.Has("complete frame " + frame)) << tracker.Dump();
    EXPECT_FALSE(tracker.Has("document top " + frame));
  }
  EXPECT_EQ(tracker.Windows(), 1);  // frames are no windows
  if (firefox) {
    EXPECT_EQ(shell->Windows().front()->PageAddress().value_or(""), next + "#part");
  }
  EXPECT_EQ(tracker.newWindows, 0);
}

// The user's clicks, each told before the window it asks for; the page's own script-made
// presses never. Firefox announces a window with features long after the click, so the page
// tells when it asked; there a middle click on a link opens the user's own tab.
TEST_P(BrowsersTest, PressesAreToldBeforeTheWindowsTheyAskFor) {
  std::string page = kPressPage;
  if (firefox) {
    const std::string open = "window.open('/pressed.html?' + Date.now())";
    page.replace(page.find(open), open.size(),
                 "window.open('/pressed.html?' + Date.now(), '', (window.n = (window.n || 0) + 1) "
                 "% 2 ? '' : 'width=300,height=200')");
  }
  web.Page("/press.html", page);
  StartWith("/press.html");
  RunFor(1000);
  EXPECT_FALSE(tracker.HasBetween("input", 0, tracker.events.size())) << tracker.Dump();
  constexpr int kRuns = 12;
  for (int run = 0; run < kRuns; ++run) {
    size_t from = tracker.events.size();
    ASSERT_TRUE(Xdotool("mousemove 300 250 click 1"));
    // The next click must find the page again, not the cancelled window.
    ASSERT_TRUE(WaitUntil([&] { return web.Count("/gone") == run + 1; }, 30000)) << tracker.Dump();
    size_t window = static_cast<size_t>(
        std::find_if(tracker.events.begin() + static_cast<long>(from), tracker.events.end(),
                     [](const std::string& event) { return event.rfind("new window", 0) == 0; }) -
        tracker.events.begin());
    EXPECT_TRUE(tracker.HasBetween("input down 1", from, window)) << "run " << run << "\n"
                                                                  << tracker.Dump();
  }
  if (firefox) {
    ASSERT_TRUE(Xdotool("mousemove 40 520 click 2"));  // the link, below the browser's bars
    ASSERT_TRUE(
        WaitUntil([&] { return web.Asked("/own-tab.html") && tracker.Windows() == 2; }, 20000))
        << tracker.Dump() << web.Dump();
    EXPECT_TRUE(tracker.Has("input down 4")) << tracker.Dump();
    // The page told when it asked for each window, which the browser announced later.
    for (int ms : tracker.msSinceAsked) EXPECT_GT(ms, 0) << tracker.Dump();
  }
  EXPECT_EQ(tracker.newWindows, kRuns) << tracker.Dump();
}

TEST_P(BrowsersTest, AnAllowedWindowLoadsAndItsCloseQuitsAndRevokesIt) {
  web.Page("/opener.html",
           "<html><body onload=\"window.open('/allowed.html', '_blank')\">opener</body></html>");
  web.Page(
      "/allowed.html",
      "<html><body>allowed<script>setTimeout(() => window.close(), 1500)</script></body></html>");
  tracker.cancelNewWindows = false;
  tracker.Start();
  StartOn("/opener.html");
  ASSERT_TRUE(WaitUntil([&] { return tracker.Has("revoked"); }, kStartMs)) << tracker.Dump();
  EXPECT_TRUE(web.Asked("/allowed.html")) << web.Dump();
  EXPECT_EQ(tracker.Count("registered"), 2) << tracker.Dump();
  std::string allowed = web.Url("/allowed.html");
  int asked = tracker.At("new window from " + web.Url("/opener.html"));
  ASSERT_GE(asked, 0) << tracker.Dump();
  EXPECT_GT(tracker.At("before top " + allowed), asked) << tracker.Dump();
  if (firefox) {
    EXPECT_GT(tracker.At("document top " + allowed), tracker.At("before top " + allowed))
        << tracker.Dump();
  }
  EXPECT_EQ(tracker.Windows(), 1);
  int quit = tracker.At("quit " + allowed);
  EXPECT_GE(quit, 0) << tracker.Dump();
  EXPECT_LT(quit, tracker.At("revoked"));
}

TEST_P(BrowsersTest, ABrowserOpenBeforeTheProgramIsJoinedAndOneKilledIsLetGo) {
  // Chromium with two windows; the Firefox launcher opens its page once it holds the session.
  std::vector<std::string> pages{web.Url("/first.html")};
  if (!firefox) pages.push_back(web.Url("/second.html"));
  browser.Start(pages);
  std::string socket = browser.Socket();
  ASSERT_TRUE(WaitUntil([&] { return QFile::exists(QString::fromStdString(socket)); }, kStartMs));
  ASSERT_TRUE(WaitUntil([&] { return web.Asked("/first.html"); }, kStartMs));
  tracker.Start();
  const int windows = static_cast<int>(pages.size());
  ASSERT_TRUE(WaitUntil([&] { return tracker.Windows() == windows; })) << tracker.Dump();
  EXPECT_EQ(shell->JoinedBrowsers(), 1);
  if (firefox) {
    EXPECT_TRUE(WaitUntil([&] {
      return shell->Windows().front()->PageAddress().value_or("") == web.Url("/first.html");
    })) << tracker.Dump();
    auto properties = shell->Windows().front()->Properties();
    EXPECT_EQ(properties.application.value_or("").rfind("firefox ", 0), 0u);
    EXPECT_EQ(properties.path.value_or(""), browser.Profile());
  }
  browser.Kill();
  ASSERT_TRUE(WaitUntil([&] { return tracker.Windows() == 0; })) << tracker.Dump();
  EXPECT_FALSE(tracker.Has("quit " + web.Url("/first.html")));  // killed, not closed
  RunFor(300);
  EXPECT_EQ(shell->JoinedBrowsers(), 0);
  // The killed launcher's socket stays behind; a new browser on the profile is joined again.
  ASSERT_TRUE(QFile::exists(QString::fromStdString(socket)));
  StartOn("/third.html");
  ASSERT_TRUE(WaitUntil(
      [&] {
        return tracker.Windows() == 1 &&
               (!firefox || tracker.Has("document top " + web.Url("/third.html")));
      },
      kStartMs))
      << tracker.Dump();
}

// Pages that open windows on their own, then go on: no request begins with `neverAsked`.
struct CancelCase {
  const char* name;
  std::map<std::string, std::string> pages;
  std::string neverAsked;
  int windowsAskedFor;
  bool firefoxOnly = false;
};

// The opener: on load it runs `opens`, then goes on to /after.html.
std::string Opener(const std::string& opens, const std::string& body = "opener") {
  return "<html><body onload=\"setTimeout(() => location = '/after.html', 1500); " + opens + "\">" +
         body + "</body></html>";
}

const CancelCase kCancelCases[] = {
    {"WithoutOpener",
     {{"/opener.html", Opener("window.open('/cut-off.html', '_blank', 'noopener')")}},
     "/cut-off.html",
     1},
    {"BlankAndWrittenTo",
     {{"/opener.html",
       Opener("const w = window.open(); w.document.write('<img src=/written.png>')")}},
     "/written.png",
     1,
     true},
    {"TenAtOnce",
     {{"/opener.html", Opener("for (let i = 0; i < 10; i++) window.open('/burst.html?' + i)")}},
     "/burst.html",
     10,
     true},
    {"FromFrames",
     {{"/opener.html", Opener("",
                              "<iframe src='/inner.html?same'></iframe>"
                              "<iframe src='CROSS/inner.html?cross'></iframe>")},
      {"/inner.html",
       "<html><body><script>window.open('/from-frame.html?' + location.search.slice(1), "
       "'_blank')</script></body></html>"}},
     "/from-frame.html",
     2},
};

using CancelParam = std::pair<bool, const CancelCase*>;

class CancelTest : public BrowserFixture, public ::testing::WithParamInterface<CancelParam> {
 protected:
  CancelTest() : BrowserFixture(GetParam().first) {}
};

TEST_P(CancelTest, CancelledWindowsNeverAskTheirServerAndTheOpenerRunsOn) {
  const CancelCase& test = *GetParam().second;
  for (const auto& [path, html] : test.pages) {
    std::string page = html;
    if (auto at = page.find("CROSS"); at != std::string::npos)
      page.replace(at, 5, web.Url("", "localhost"));
    web.Page(path, page);
  }
  StartWith("/opener.html");
  ASSERT_TRUE(WaitUntil([&] { return web.Asked("/after.html"); }, 30000)) << tracker.Dump();
  ASSERT_TRUE(WaitUntil([&] { return tracker.newWindows == test.windowsAskedFor; }))
      << tracker.Dump();
  RunFor(1000);
  EXPECT_EQ(tracker.newWindows, test.windowsAskedFor) << tracker.Dump();
  EXPECT_EQ(tracker.Count("new window from " + web.Url("/opener.html")), test.windowsAskedFor)
      << tracker.Dump();
  for (const auto& path : web.requests) EXPECT_NE(path.rfind(test.neverAsked, 0), 0u) << path;
  EXPECT_EQ(tracker.Windows(), 1);
  EXPECT_EQ(tracker.Count("registered"), 1) << tracker.Dump();  // the opener's own window only
}

std::vector<CancelParam> CancelParams() {
  std::vector<CancelParam> params;
  for (bool firefox : {false, true})
    for (const CancelCase& test : kCancelCases)
      if (firefox || !test.firefoxOnly) params.emplace_back(firefox, &test);
  return params;
}

INSTANTIATE_TEST_SUITE_P(Pages, CancelTest, ::testing::ValuesIn(CancelParams()),
                         [](const ::testing::TestParamInfo<CancelParam>& param) {
                           return std::string(param.param.first ? "Firefox" : "Chromium") + "_" +
                                  param.param.second->name;
                         });

// What only Firefox tells, or only its remote sessions need.
class FirefoxTest : public BrowserFixture {
 protected:
  FirefoxTest() : BrowserFixture(true) {}
};

TEST_F(FirefoxTest, ScriptLinksAreReportedBeforeTheWindowTheyOpen) {
  web.Page("/links.html",
           "<html><body><a id=j href=\"javascript:void(window.open('/from-link.html'))\">j</a>"
           "<iframe src='/inner-link.html'></iframe><iframe src='" +
               web.Url("/inner-link.html", "localhost") +
               "'></iframe><script>onload = () => setTimeout(() => j.click(), "
               "500)</script></body></html>");
  web.Page("/inner-link.html",
           "<html><body><a id=j href=' JavaScript:void(0)'>j</a>"
           "<script>onload = () => setTimeout(() => j.click(), 300)</script></body></html>");
  StartWith("/links.html");
  ASSERT_TRUE(WaitUntil([&] { return tracker.newWindows == 1; })) << tracker.Dump();
  ASSERT_TRUE(WaitUntil([&] { return tracker.Count("before frame  JavaScript:void(0)") == 2; }))
      << tracker.Dump();
  int link = tracker.At("before top javascript:void(window.open('/from-link.html'))");
  ASSERT_GE(link, 0) << tracker.Dump();
  EXPECT_LT(link, tracker.At("new window from " + web.Url("/links.html"))) << tracker.Dump();
  RunFor(500);
  EXPECT_FALSE(web.Asked("/from-link.html"));  // the tracker cancels every window
}

// Asks that load into the page's own named frames (one still blank) or cannot be opened
// open no window, so a window opened 3 s later is judged as at its own ask.
TEST_F(FirefoxTest, AnAskThatLoadsIntoAFrameOpensNoWindow) {
  web.Page("/named.html",
           "<html><body><iframe name=blank></iframe><iframe name=side src='/side.html'></iframe>"
           "<script>onload = () => { window.open('/framed.html', 'blank');"
           " window.open('/framed.html?again', 'side');"
           " try { window.open('http://[not an address'); } catch (e) {}"
           " setTimeout(() => window.open('/late.html'), 3000); }</script></body></html>");
  StartWith("/named.html");
  ASSERT_TRUE(WaitUntil([&] { return tracker.newWindows == 1; })) << tracker.Dump();
  EXPECT_TRUE(web.Asked("/framed.html") && web.Asked("/framed.html?again")) << web.Dump();
  ASSERT_EQ(tracker.msSinceAsked.size(), 1u);
  EXPECT_LT(tracker.msSinceAsked[0], 3000) << tracker.Dump();
}

TEST_F(FirefoxTest, LettingGoEndsTheSessionSoTheBrowserCanBeJoinedAgain) {
  web.Page("/opener.html",
           "<html><body><script>setInterval(() => window.open('/again.html?' + Date.now()), 700)"
           "</script></body></html>");
  web.Page("/again.html", "<html><body><script>close()</script></body></html>");
  StartWith("/opener.html");
  ASSERT_TRUE(WaitUntil([&] { return tracker.newWindows >= 1; })) << tracker.Dump();
  // Each join is a session of its own; the browser grants one at a time.
  tracker.Stop();
  shell->FinishLeaving(3000);
  for (int join = 0; join < 2; ++join) {
    FirefoxBrowsers next({{browser.Profile(), browser.Socket()}}, 100);
    std::string log;
    next.log = [&](const std::string& message) { log += message + "\n"; };
    RecordingTracker again(next);
    again.Start();
    ASSERT_TRUE(WaitUntil([&] { return again.newWindows >= 2; })) << log << again.Dump();
    EXPECT_EQ(next.JoinedBrowsers(), 1);
    EXPECT_GE(again.Windows(), 1) << again.Dump();
    again.Stop();
    next.FinishLeaving(3000);
  }
}

// A Chromium that answers nonsense, then nothing at all.
TEST(DevToolsConnectionFaults, MalformedMessagesAndSilenceNeverStallTheProgram) {
  TempFolder folder;
  LauncherServer server;
  QString error;
  ASSERT_TRUE(server.Listen(QString::fromStdString(folder.File("run/chromium.sock")), &error));
  QObject::connect(&server, &LauncherServer::joined, &server, [&](MessageSocket* client) {
    for (const char* message :
         {"not json at all", "[1, 2, 3]", "{\"method\": \"Target.attachedToTarget\"}",
          "{\"method\": \"Target.attachedToTarget\", \"params\": {\"sessionId\": \"S\", "
          "\"targetInfo\": {\"targetId\": \"T\", \"type\": \"page\", \"url\": "
          "\"http://page.example/\", \"title\": \"Page\"}, \"waitingForDebugger\": false}}",
          "{\"method\": \"Page.frameNavigated\", \"sessionId\": \"S\", \"params\": {\"frame\": 7}}",
          "{\"method\": \"Target.targetDestroyed\", \"params\": {}}", "{\"id\": \"x\"}"}) {
      client->send(message);
    }
  });
  ChromiumBrowsers shell({{folder.File("profile"), folder.File("run/chromium.sock")}}, 100);
  RecordingTracker tracker(shell);
  tracker.Start();
  ASSERT_TRUE(WaitUntil([&] { return tracker.Windows() == 1; }, 5000)) << tracker.Dump();
  EXPECT_EQ(shell.Windows().front()->PageAddress().value_or(""), "http://page.example/");
  // The fake never answers a command: the program goes on regardless.
  QElapsedTimer timer;
  timer.start();
  RunFor(300);
  EXPECT_LT(timer.elapsed(), 2000);
}

}  // namespace
}  // namespace quorlen
