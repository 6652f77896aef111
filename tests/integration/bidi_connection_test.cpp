// The WebDriver BiDi client against a scripted browser on loopback: what each event becomes,
// how a window is decided and cancelled, and what a faulty browser cannot do to the program.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <cstring>

#include "launcher/launcher_server.h"
#include "platform/qt/firefox_browsers.h"
#include "tests/integration/browser/browser_fixture.h"

namespace quorlen {
namespace {

using testing_support::RecordingTracker;
using testing_support::RunFor;
using testing_support::TempFolder;
using testing_support::WaitUntil;

// A browser that answers every command, with ids of its own, and sends the events it is given.
class ScriptedFirefox {
 public:
  // Listens where the program looks for the launcher of the browser of folder/profile.
  explicit ScriptedFirefox(const TempFolder& folder) {
    QString error;
    EXPECT_TRUE(server_.Listen(QString::fromStdString(folder.File("run/firefox.sock")), &error))
        << error.toStdString();
    QObject::connect(&server_, &LauncherServer::joined, &server_, [this](MessageSocket* client) {
      client_ = client;
      ++connections;
      QObject::connect(client_, &MessageSocket::messageReceived, client_,
                       [this](const QByteArray& text) { Answer(QString::fromUtf8(text)); });
    });
  }

  void Send(const QString& text) { client_->send(text.toUtf8()); }
  void Event(const QString& method, const QJsonObject& params) {
    QJsonObject event{{"type", "event"}, {"method", method}, {"params", params}};
    Send(QString::fromUtf8(QJsonDocument(event).toJson(QJsonDocument::Compact)));
  }
  void Created(const QString& context, const QString& url, const QString& parent = {},
               const QString& opener = {}) {
    Event("browsingContext.contextCreated",
          {{"context", context},
           {"url", url},
           {"children", QJsonValue::Null},
           {"parent", parent.isEmpty() ? QJsonValue() : QJsonValue(parent)},
           {"originalOpener", opener.isEmpty() ? QJsonValue() : QJsonValue(opener)}});
  }
  void Navigation(const QString& event, const QString& context, const QString& url,
                  const QString& navigation = "N1") {
    Event("browsingContext." + event,
          {{"context", context}, {"url", url}, {"navigation", navigation}});
  }
  void Request(const QString& context, const QString& request, bool blocked) {
    Event("network.beforeRequestSent",
          {{"context", context},
           {"isBlocked", blocked},
           {"request", QJsonObject{{"request", request}, {"url", "http://ad.example/"}}}});
  }
  // The commands received, from the `from`th on, as "method {params}".
  std::vector<std::string> Commands(size_t from = 0) const {
    return {commands.begin() + static_cast<std::ptrdiff_t>(from), commands.end()};
  }

  std::vector<std::string> commands;
  bool joined = false;
  QJsonArray tree;
  bool refuse = false;
  int connections = 0;

 private:
  void Answer(const QString& text) {
    QJsonObject command = QJsonDocument::fromJson(text.toUtf8()).object();
    QString method = command.value("method").toString();
    QJsonObject params = command.value("params").toObject();
    commands.push_back(method.toStdString() + " " +
                       QJsonDocument(params).toJson(QJsonDocument::Compact).toStdString());
    QJsonObject result;
    if (method == "session.new") {
      if (refuse) {
        return Reply(command, {{"type", "error"},
                               {"error", "session not created"},
                               {"message", "Maximum number of active sessions"}});
      }
      joined = true;
      result = {
          {"sessionId", "S"},
          {"capabilities", QJsonObject{{"browserName", "firefox"}, {"browserVersion", "153.0"}}}};
    } else if (method == "browsingContext.getTree") {
      result = {{"contexts", tree}};
    } else if (method == "network.addIntercept") {
      result = {{"intercept", "intercept-" + QString::number(++ids_)}};
    } else if (method == "session.subscribe") {
      result = {{"subscription", "subscription-" + QString::number(++ids_)}};
    }
    Reply(command, {{"type", "success"}, {"result", result}});
  }
  void Reply(const QJsonObject& command, QJsonObject answer) {
    answer.insert("id", command.value("id"));
    Send(QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact)));
  }

  LauncherServer server_;
  MessageSocket* client_ = nullptr;
  int ids_ = 0;
};

class BiDiConnectionTest : public ::testing::Test {
 protected:
  BiDiConnectionTest()
      : browser(folder),
        shell({{folder.File("profile"), folder.File("run/firefox.sock")}}, 50),
        tracker(shell) {
    shell.log = [this](const std::string& message) { log.push_back(message); };
  }

  // Joins the browser and opens a window W on page A with a frame F.
  void JoinWithWindow() {
    tracker.Start();
    ASSERT_TRUE(WaitUntil([&] { return shell.JoinedBrowsers() == 1; }, 5000));
    browser.Created("W", "http://page.example/a");
    browser.Created("F", "http://frame.example/f", "W");
    ASSERT_TRUE(WaitUntil([&] { return tracker.Windows() == 1; }, 5000)) << tracker.Dump();
  }
  // Lets the program read what was sent; then the events it caused are all there.
  void Settle() { RunFor(150); }
  bool Sent(const std::string& command, size_t from = 0) const {
    const auto sent = browser.Commands(from);
    return std::find(sent.begin(), sent.end(), command) != sent.end();
  }

  TempFolder folder;
  ScriptedFirefox browser;
  FirefoxBrowsers shell;
  RecordingTracker tracker;
  std::vector<std::string> log;
};

TEST_F(BiDiConnectionTest, JoiningAsksForTheSessionThenFollowsEveryContextOpenNow) {
  browser.tree = QJsonDocument::fromJson(R"([
      {"context": "T1", "url": "http://one.example/", "parent": null,
       "children": [{"context": "T1F", "url": "http://frame.example/", "children": []}]},
      {"context": "T2", "url": "http://two.example/", "parent": null, "children": []}])")
                     .array();
  tracker.Start();
  ASSERT_TRUE(WaitUntil([&] { return tracker.Windows() == 2; }, 5000)) << tracker.Dump();
  Settle();
  auto commands = browser.Commands();
  ASSERT_GE(commands.size(), 6u);
  EXPECT_EQ(commands[0], "session.new {\"capabilities\":{}}");
  EXPECT_EQ(commands[1],
            "session.subscribe {\"events\":[\"browsingContext\",\"script.message\","
            "\"network.beforeRequestSent\"]}");
  // One intercept for every window, in place before any window can ask its server.
  EXPECT_EQ(commands[2], R"(network.addIntercept {"phases":["beforeRequestSent"]})");
  // The link watcher, then the listener for the user's presses, before any page is followed.
  EXPECT_EQ(commands[3].rfind("script.addPreloadScript ", 0), 0u);
  EXPECT_EQ(commands[4].rfind("script.addPreloadScript ", 0), 0u);
  EXPECT_NE(commands[4].find("\"channel\":\"quorlen-input\""), std::string::npos);
  EXPECT_EQ(commands[5], "browsingContext.getTree {}");
  // Pages loaded before the program joined get the link watcher too.
  for (const char* context : {"T1", "T1F", "T2"}) {
    bool called = std::any_of(commands.begin(), commands.end(), [&](const std::string& sent) {
      return sent.rfind("script.callFunction ", 0) == 0 &&
             sent.find("\"context\":\"" + std::string(context) + "\"") != std::string::npos;
    });
    EXPECT_TRUE(called) << context;
  }
  auto windows = shell.Windows();
  EXPECT_EQ(windows[0]->PageAddress().value_or(""), "http://one.example/");
  EXPECT_EQ(windows[1]->PageAddress().value_or(""), "http://two.example/");
  EXPECT_EQ(windows[0]->Properties().application.value_or(""), "firefox 153.0");
  // Subscribing announces the open contexts again: they stay two windows.
  browser.Created("T2", "http://two.example/");
  Settle();
  EXPECT_EQ(tracker.Windows(), 2);
  EXPECT_EQ(tracker.Count("registered"), 2) << tracker.Dump();
  EXPECT_EQ(log.front(), "joined the browser of " + folder.File("profile"));
}

// A browser started while the program runs is joined when its launcher listens, not at the
// next scan a minute away: with no socket folder yet, and with a killed launcher's socket.
TEST(WatchedBrowsersTest, ABrowserIsJoinedAsSoonAsItsLauncherListens) {
  for (bool staleSocket : {false, true}) {
    SCOPED_TRACE(staleSocket ? "a killed launcher's socket left" : "no socket folder yet");
    TempFolder folder;
    std::string socket = folder.File("run/firefox.sock");
    if (staleSocket) {
      ASSERT_EQ(::mkdir(folder.File("run").c_str(), 0700), 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
      int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
      ::close(fd);
    }
    FirefoxBrowsers shell({{folder.File("profile"), socket}}, 60000);
    RecordingTracker tracker(shell);
    tracker.Start();
    RunFor(100);
    EXPECT_EQ(shell.JoinedBrowsers(), 0);
    ScriptedFirefox browser(folder);
    EXPECT_TRUE(WaitUntil([&] { return browser.joined; }, 3000));
  }
}

const char* kB = "http://page.example/b";

// What each event about window W (page A, frame F) becomes for the tracker. Nonsense and
// events of nobody come first: they change nothing, and every event after them is heard.
TEST_F(BiDiConnectionTest, EventsStandForTheBrowserWindowsOwn) {
  JoinWithWindow();
  tracker.events.clear();
  browser.Navigation("load", "nobody", kB);
  browser.Send("not json");
  browser.Send("[1, 2]");
  browser.Event("browsingContext.load", {{"context", 5}});
  browser.Event("browsingContext.contextDestroyed", {});
  auto navigate = [&](const char* context, std::vector<const char*> events,
                      const char* navigation = "N1") {
    for (const char* event : events) browser.Navigation(event, context, kB, navigation);
  };
  navigate("W", {"navigationStarted", "navigationCommitted", "domContentLoaded", "load"});
  navigate("F", {"navigationStarted", "navigationCommitted", "load"});
  // A navigation whose commit is never reported is committed by its document.
  navigate("W", {"navigationStarted", "domContentLoaded", "load"}, "N7");
  browser.Navigation("fragmentNavigated", "W", "http://page.example/a#part");
  browser.Navigation("historyUpdated", "F", "http://frame.example/g");
  navigate("W", {"navigationFailed", "navigationAborted"});
  navigate("F", {"navigationFailed"});
  // Script links as the link watcher reports them: only its own channel, only known windows.
  auto link = [&](const QString& channel, const QString& context, const QString& href) {
    browser.Event("script.message",
                  {{"channel", channel},
                   {"data", QJsonObject{{"type", "string"}, {"value", href}}},
                   {"source", QJsonObject{{"context", context}, {"realm", "R"}}}});
  };
  link("quorlen", "W", "javascript:open('/ad')");
  link("quorlen", "F", " JavaScript:void(0)");
  link("quorlen", "W", "http://page.example/plain");
  link("someone-else", "W", "javascript:1");
  link("quorlen", "X", "javascript:2");
  Settle();
  const std::string b = kB;
  const std::vector<std::string> page = {"before top " + b, "download begin", "complete top " + b,
                                         "document top " + b, "download complete"};
  std::vector<std::string> heard = page;
  heard.insert(heard.end(), {"before frame " + b, "complete frame " + b, "document frame " + b});
  heard.insert(heard.end(), page.begin(), page.end());
  heard.insert(heard.end(),
               {"complete top http://page.example/a#part", "complete frame http://frame.example/g",
                "download complete", "download complete", "before top javascript:open('/ad')",
                "before frame  JavaScript:void(0)"});
  EXPECT_EQ(tracker.events, heard) << tracker.Dump();
}

TEST_F(BiDiConnectionTest, ACancelledWindowIsClosedWithItsRequestsHeldAndFailed) {
  JoinWithWindow();
  size_t sent = browser.commands.size();
  browser.Created("P", "about:blank", {}, "F");  // asked for by the page's frame
  ASSERT_TRUE(WaitUntil(
      [&] { return Sent(R"(browsingContext.close {"context":"P","promptUnload":false})", sent); },
      5000))
      << tracker.Dump();
  EXPECT_EQ(tracker.newWindows, 1);
  EXPECT_TRUE(tracker.Has("new window from http://page.example/a")) << tracker.Dump();
  // The intercept every window shares is in place since the join: the close is all.
  EXPECT_EQ(
      browser.Commands(sent),
      std::vector<std::string>{R"(browsingContext.close {"context":"P","promptUnload":false})"});
  sent = browser.commands.size();
  browser.Request("P", "R1", true);
  browser.Request("W", "R2", true);  // nobody else's request is ever left waiting
  browser.Request("W", "R3", false);
  browser.Event("browsingContext.contextDestroyed", {{"context", "P"}});
  Settle();
  EXPECT_EQ(browser.Commands(sent),
            (std::vector<std::string>{R"(network.failRequest {"request":"R1"})",
                                      R"(network.continueRequest {"request":"R2"})"}));
  // A request before its window is announced waits for the decision, then fails.
  sent = browser.commands.size();
  browser.Request("Q", "R4", true);
  Settle();
  EXPECT_EQ(browser.Commands(sent), std::vector<std::string>{}) << "held until decided";
  browser.Created("Q", "about:blank", {}, "F");
  ASSERT_TRUE(
      WaitUntil([&] { return Sent(R"(network.failRequest {"request":"R4"})", sent); }, 5000))
      << tracker.Dump();
  // A cancelled window never was one of the set: it neither registers nor quits.
  EXPECT_EQ(tracker.Count("registered"), 1) << tracker.Dump();
  EXPECT_FALSE(tracker.Has("revoked")) << tracker.Dump();
  EXPECT_EQ(tracker.Windows(), 1);
}

TEST_F(BiDiConnectionTest, WindowsThatAreNoPagesPopupsOpenWithoutAQuestionAndLettingGoEnds) {
  tracker.cancelNewWindows = false;
  JoinWithWindow();
  size_t sent = browser.commands.size();
  browser.Created("Allowed", "about:blank", {}, "W");
  // A tab the user opened from a link loads before the browser announces it.
  browser.Navigation("navigationStarted", "UserTab", kB);
  browser.Created("UserTab", "about:blank", {}, "W");
  browser.Created("Typed", "about:blank");  // no opener: the user's own new window
  ASSERT_TRUE(WaitUntil([&] { return tracker.Windows() == 4; }, 5000)) << tracker.Dump();
  EXPECT_EQ(tracker.newWindows, 1) << tracker.Dump();
  EXPECT_EQ(browser.Commands(sent), std::vector<std::string>{}) << "nothing held or closed";
  // Letting go ends the session and leaves no window.
  tracker.Stop();
  ASSERT_TRUE(WaitUntil(
      [&] { return !browser.commands.empty() && browser.commands.back() == "session.end {}"; },
      5000))
      << browser.commands.back();
  EXPECT_TRUE(shell.Windows().empty());
}

TEST_F(BiDiConnectionTest, ABrowserThatRefusesTheSessionIsNotJoinedAndTriedAgainLater) {
  browser.refuse = true;
  tracker.Start();
  ASSERT_TRUE(WaitUntil([&] { return !log.empty(); }, 5000));
  EXPECT_NE(log.front().find("refused a remote session"), std::string::npos) << log.front();
  Settle();
  EXPECT_EQ(shell.JoinedBrowsers(), 0);
  EXPECT_EQ(browser.Commands().size(), 1u);  // nothing but the request for a session
  browser.refuse = false;
  ASSERT_TRUE(WaitUntil([&] { return browser.joined; }, 10000));
  EXPECT_EQ(browser.connections, 2);
}

}  // namespace
}  // namespace quorlen
