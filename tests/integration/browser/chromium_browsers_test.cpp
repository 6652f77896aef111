#include "platform/qt/chromium_browsers.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>

#include "launcher/launcher_server.h"
#include "tests/integration/browser/browser_fixture.h"

namespace quorlen {
namespace {

using testing_support::ChromiumProcess;
using testing_support::kPressPage;
using testing_support::LoggingWebServer;
using testing_support::RecordingTracker;
using testing_support::RunFor;
using testing_support::TempFolder;
using testing_support::WaitUntil;
using testing_support::Xdotool;

class ChromiumBrowsersTest : public ::testing::Test {
 protected:
  ChromiumBrowsersTest()
      : chromium(folder.File("config")),
        shell({{chromium.Profile(), chromium.Socket()}}, 100),
        tracker(shell) {}

  // The program runs first; the browser starts later with the given page.
  void StartWith(const std::string& path) {
    tracker.Start();
    chromium.Start({web.Url(path)});
    ASSERT_TRUE(WaitUntil(
        [&] { return tracker.Windows() == 1 && tracker.Has("download complete"); }, 30000))
        << tracker.Dump();
  }

  std::string Requests() const {
    std::string all;
    for (const auto& path : web.requests) all += path + "\n";
    return all;
  }

  TempFolder folder;
  LoggingWebServer web;
  ChromiumProcess chromium;
  ChromiumBrowsers shell;
  RecordingTracker tracker;
};

TEST_F(ChromiumBrowsersTest, TopNavigationEventsComeInTheBrowsersOrder) {
  web.Page("/start.html",
           "<html><body>start<script>setTimeout(() => location = '/next.html', 300)</script>"
           "</body></html>");
  StartWith("/start.html");
  std::string next = web.Url("/next.html");
  ASSERT_TRUE(WaitUntil([&] { return tracker.Has("document top " + next); })) << tracker.Dump();
  ASSERT_TRUE(WaitUntil([&] {
    int document = tracker.At("document top " + next);
    return std::count(tracker.events.begin() + document, tracker.events.end(),
                      "download complete") > 0;
  })) << tracker.Dump();
  int before = tracker.At("before top " + next);
  int complete = tracker.At("complete top " + next);
  int document = tracker.At("document top " + next);
  ASSERT_GE(before, 0) << tracker.Dump();
  auto begin = std::find(tracker.events.begin() + before, tracker.events.end(), "download begin");
  ASSERT_NE(begin, tracker.events.end()) << tracker.Dump();
  EXPECT_LT(begin - tracker.events.begin(), complete) << tracker.Dump();
  EXPECT_LT(complete, document) << tracker.Dump();
  EXPECT_EQ(std::count(tracker.events.begin(), tracker.events.end(), "before top " + next), 1)
      << tracker.Dump();
  EXPECT_EQ(tracker.newWindows, 0);
}

TEST_F(ChromiumBrowsersTest, FramesReportAsFramesOfTheirPage) {
  web.Page("/frames.html", "<html><body><iframe src='/inner.html'></iframe><iframe src='" +
                               web.Url("/cross.html", "localhost") + "'></iframe></body></html>");
  StartWith("/frames.html");
  std::string same = web.Url("/inner.html");
  std::string cross = web.Url("/cross.html", "localhost");
  ASSERT_TRUE(WaitUntil([&] {
    return tracker.Has("complete frame " + same) && tracker.Has("complete frame " + cross);
  })) << tracker.Dump();
  EXPECT_TRUE(tracker.Has("before frame " + same)) << tracker.Dump();
  EXPECT_TRUE(tracker.Has("before frame " + cross)) << tracker.Dump();
  EXPECT_FALSE(tracker.Has("document top " + same));
  EXPECT_EQ(tracker.Windows(), 1);  // frames are no windows
}

TEST_F(ChromiumBrowsersTest, ACancelledWindowNeverAsksItsServerAndTheOpenerRunsOn) {
  web.Page("/opener.html",
           "<html><body onload=\"window.open('/popup-target.html', '_blank'); "
           "setTimeout(() => location = '/after-cancel.html', 800)\">opener</body></html>");
  StartWith("/opener.html");
  ASSERT_TRUE(WaitUntil([&] { return web.Asked("/after-cancel.html"); })) << tracker.Dump();
  RunFor(500);
  EXPECT_EQ(tracker.newWindows, 1);
  EXPECT_TRUE(tracker.Has("new window from " + web.Url("/opener.html"))) << tracker.Dump();
  EXPECT_FALSE(web.Asked("/popup-target.html"));
  EXPECT_EQ(tracker.Windows(), 1);
  // The opener's own window is the only one that came.
  EXPECT_EQ(std::count(tracker.events.begin(), tracker.events.end(), "registered"), 1)
      << tracker.Dump();
}

TEST_F(ChromiumBrowsersTest, AnAllowedWindowOpensAndItsCloseQuitsIt) {
  web.Page("/opener.html",
           "<html><body onload=\"window.open('/allowed.html', '_blank')\">opener</body></html>");
  web.Page(
      "/allowed.html",
      "<html><body>allowed<script>setTimeout(() => window.close(), 1500)</script></body></html>");
  tracker.cancelNewWindows = false;
  tracker.Start();
  chromium.Start({web.Url("/opener.html")});
  ASSERT_TRUE(WaitUntil([&] { return tracker.Has("revoked"); }, 30000)) << tracker.Dump();
  EXPECT_TRUE(web.Asked("/allowed.html")) << Requests();
  EXPECT_EQ(std::count(tracker.events.begin(), tracker.events.end(), "registered"), 2)
      << tracker.Dump();
  EXPECT_GT(tracker.At("before top " + web.Url("/allowed.html")),
            tracker.At("new window from " + web.Url("/opener.html")));
  EXPECT_EQ(tracker.Windows(), 1);
  int quit = tracker.At("quit " + web.Url("/allowed.html"));
  EXPECT_GE(quit, 0) << tracker.Dump();
  EXPECT_LT(quit, tracker.At("revoked"));
}

TEST_F(ChromiumBrowsersTest, WindowsAskedForByFramesAreDecidedForTheirPage) {
  web.Page("/frame-opener.html",
           "<html><body><iframe src='/inner-opener.html?same'></iframe>"
           "<iframe src='" +
               web.Url("/inner-opener.html?cross", "localhost") + "'></iframe></body></html>");
  web.Page("/inner-opener.html",
           "<html><body><script>window.open('/from-frame.html?' + location.search.slice(1), "
           "'_blank')</script></body></html>");
  StartWith("/frame-opener.html");
  ASSERT_TRUE(WaitUntil([&] { return tracker.newWindows == 2; })) << tracker.Dump();
  RunFor(1500);
  EXPECT_EQ(std::count(tracker.events.begin(), tracker.events.end(),
                       "new window from " + web.Url("/frame-opener.html")),
            2)
      << tracker.Dump();
  EXPECT_FALSE(web.Asked("/from-frame.html?same"));
  EXPECT_FALSE(web.Asked("/from-frame.html?cross"));
  EXPECT_EQ(tracker.Windows(), 1);
}

TEST_F(ChromiumBrowsersTest, AWindowWithoutItsOpenerIsDecidedAsWell) {
  web.Page("/noopener.html",
           "<html><body onload=\"window.open('/cut-off.html', '_blank', 'noopener'); "
           "setTimeout(() => location = '/after-noopener.html', 800)\">opener</body></html>");
  StartWith("/noopener.html");
  ASSERT_TRUE(WaitUntil([&] { return web.Asked("/after-noopener.html"); })) << tracker.Dump();
  RunFor(500);
  EXPECT_EQ(tracker.newWindows, 1) << tracker.Dump();
  EXPECT_FALSE(web.Asked("/cut-off.html"));
  EXPECT_EQ(tracker.Windows(), 1);
}

TEST_F(ChromiumBrowsersTest, ABrowserOpenBeforeTheProgramIsJoinedAndOneKilledIsLetGo) {
  chromium.Start({web.Url("/first.html"), web.Url("/second.html")});
  ASSERT_TRUE(
      WaitUntil([&] { return QFile::exists(QString::fromStdString(chromium.Socket())); }, 30000));
  RunFor(1000);
  tracker.Start();
  ASSERT_TRUE(WaitUntil([&] { return tracker.Windows() == 2; })) << tracker.Dump();
  EXPECT_EQ(shell.JoinedBrowsers(), 1);
  chromium.Kill();
  ASSERT_TRUE(WaitUntil([&] { return tracker.Windows() == 0; })) << tracker.Dump();
  EXPECT_FALSE(tracker.Has("quit " + web.Url("/first.html")));  // killed, not closed
  RunFor(300);
  EXPECT_EQ(shell.JoinedBrowsers(), 0);
  // The killed launcher's socket stays behind; a new browser with the same profile is
  // joined again.
  chromium.Start({web.Url("/third.html")});
  ASSERT_TRUE(WaitUntil([&] { return tracker.Windows() == 1; }, 30000)) << tracker.Dump();
}

// The user's clicks, each told before the window it asks for, over many runs, while the
// page's own script-made presses are never told.
TEST_F(ChromiumBrowsersTest, PressesAreToldBeforeTheWindowsTheyAskFor) {
  web.Page("/press.html", kPressPage);
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
  EXPECT_EQ(tracker.newWindows, kRuns) << tracker.Dump();
}

// A browser that answers nonsense, then nothing at all.
TEST(DevToolsConnectionFaults, MalformedMessagesAndSilenceNeverStallTheProgram) {
  TempFolder folder;
  LauncherServer server;
  QString error;
  ASSERT_TRUE(server.Listen(QString::fromStdString(folder.File("run/chromium.sock")), &error));
  std::vector<MessageSocket*> clients;
  QObject::connect(&server, &LauncherServer::joined, &server, [&](MessageSocket* client) {
    clients.push_back(client);
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
  for (MessageSocket* client : clients) client->close();
  ASSERT_TRUE(WaitUntil([&] { return tracker.Windows() == 0; }, 5000)) << tracker.Dump();
  EXPECT_EQ(shell.JoinedBrowsers(), 0);
}

}  // namespace
}  // namespace quorlen

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
