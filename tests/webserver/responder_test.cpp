#include "webserver/responder.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_sockets.h"
#include "platform/fake/recording_sound.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tls_hello.h"

namespace quorlen {
namespace {

using testing_support::TempFolder;

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11) + "\xFF\xD9";
const std::string kRefusal("\x15\x03\x03\x00\x02\x02\x70", 7);  // fatal unrecognized_name

class ResponderTest : public testing::Test {
 protected:
  ResponderTest()
      : responder_(network_, sound_,
                   {lbltype_, lblpage_, lblAllowServer_, lblAllow1_, mnuTrayAllow_, chkBannerSound_,
                    txtBannerWav_},
                   {[this](const std::string& m) { log_.push_back(m); },
                    [] { return std::string("09:05:07"); },
                    [this](const std::string& r) { records_.push_back(r); }, [this] { ++blocked_; },
                    [this] { ++afterBlock_; },
                    [this](const std::string& reason) { listenFailures_.push_back(reason); },
                    [this](const std::string& reason) { httpsFailures_.push_back(reason); },
                    [this] { return nowMs_; }},
                   folder_.Path(), 8080, 8443) {
    folder_.Write("1by1.jpg", kJpeg);
    chkBannerSound_.SetTicked(true);
    txtBannerWav_.SetText("/sounds/ad.wav");
    responder_.StartWebServers();
  }

  // One browser request: connect, send, let the reply go out. Returns what came back.
  std::string Ask(const std::string& request, int port = 8080) {
    int client = network_.Connect(port);
    EXPECT_GT(client, 0);
    network_.Send(client, request);
    network_.CompleteSends();
    EXPECT_TRUE(network_.ClosedByServer(client));
    return network_.Received(client);
  }
  static std::string Get(const std::string& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: ads.example\r\nUser-Agent: Test/1\r\n\r\n";
  }

  TempFolder folder_;
  FakeNetwork network_;
  RecordingSound sound_;
  Label lbltype_, lblpage_, lblAllowServer_, lblAllow1_;
  MenuItem mnuTrayAllow_;
  CheckBox chkBannerSound_;
  TextBox txtBannerWav_;
  std::vector<std::string> log_, records_, listenFailures_, httpsFailures_;
  int blocked_ = 0, afterBlock_ = 0;
  std::int64_t nowMs_ = 0;
  Responder responder_;
};

// Which path gives which kind is the request parser's table; the text kinds' replies are
// read in the tests below.
TEST_F(ResponderTest, AnImageIsThePlaceholderFileAndTheBlockIsCountedAndShown) {
  EXPECT_EQ(Ask(Get("/ads/")), kJpeg);
  EXPECT_EQ(lbltype_.Caption(), "Generic Graphical Ad ");
  EXPECT_EQ(std::tuple(blocked_, afterBlock_, records_.size()), std::tuple(1, 1, 1u));
}

TEST_F(ResponderTest, OnlyCapitalGetIsAnswered) {
  for (const char* request :
       {"HEAD / HTTP/1.1\r\n\r\n", "POST / HTTP/1.1\r\n\r\n", "get / HTTP/1.1\r\n\r\n", "GE"}) {
    EXPECT_EQ(Ask(request), "UNKNOWN");
  }
  EXPECT_EQ(std::tuple(blocked_, records_.size()), std::tuple(0, 0u));
  EXPECT_EQ(log_.back(), "Responded to http request with text 'UNKNOWN'");
}

TEST_F(ResponderTest, RequestInTwoPiecesIsAnsweredTwice) {
  int client = network_.Connect(8080);
  network_.Send(client, "GET /x.js HTTP/1.1\r\nHost: a");
  network_.Send(client, ".example\r\n\r\n");
  network_.CompleteSends();
  EXPECT_EQ(network_.Received(client), "<!-- Java Ad -->UNKNOWN");
  EXPECT_EQ(blocked_, 1);
  EXPECT_EQ(log_[log_.size() - 2], "# Web Server request: .example\r\n\r\n");
}

TEST_F(ResponderTest, RecordLabelsAndAllowCaptions) {
  Ask("GET /a/b;c&d HTTP/1.0\r\nHost: h\r\nReferer: p\r\nUser-Agent: U\r\n\r\n");
  ASSERT_EQ(records_.size(), 1u);
  EXPECT_EQ(records_[0], "09:05:07 'h'  from ' p' by ' U'");
  EXPECT_EQ(lblpage_.Caption(), "Blocking h\r\na/ b; c& d");
  EXPECT_EQ(responder_.sLastBlockedServer(), "h");
  EXPECT_EQ(mnuTrayAllow_.Caption(),
            "&Click here to allow content from h (the last blocked ad server)...");
  EXPECT_EQ(std::tuple(lblAllowServer_.Caption(), lblAllow1_.Caption()),
            std::tuple("Un-Block 'h'", "Last blocked ad content from server: 'h'"));
  EXPECT_EQ(sound_.played, (std::vector<std::string>{"/sounds/ad.wav"}));
}

TEST_F(ResponderTest, SlotNineRecyclesThePool) {
  std::vector<int> clients;
  for (int i = 0; i < 9; ++i) clients.push_back(network_.Connect(8080));
  for (int i = 0; i < 9; ++i) EXPECT_NE(responder_.SlotState(i), socket_state::kClosed);
  int ninth = network_.Connect(8080);
  for (int i = 0; i < Responder::kSlots; ++i)
    EXPECT_EQ(responder_.SlotState(i), socket_state::kClosed);
  EXPECT_TRUE(network_.ClosedByServer(ninth));
  network_.Send(ninth, Get("/a.gif"));
  EXPECT_EQ(network_.Received(ninth), "");
  EXPECT_EQ(blocked_, 0);
  EXPECT_EQ(Ask(Get("/a.js")), "<!-- Java Ad -->");  // every slot is free again
  // So the pool never holds eleven connections: browsers that close first keep their slots
  // busy only until the next recycle.
  for (int i = 0; i < 9; ++i) network_.CloseFromBrowser(network_.Connect(8080));
  EXPECT_EQ(responder_.SlotState(0), socket_state::kClosing);
  EXPECT_TRUE(network_.ClosedByServer(network_.Connect(8080)));
  EXPECT_EQ(responder_.SlotState(0), socket_state::kClosed);
}

TEST_F(ResponderTest, StoppedListenerTakesNothingButOpenConnectionsAreAnswered) {
  EXPECT_EQ(lbltype_.Caption(), "Started blocking...10 10");
  EXPECT_EQ(log_.front(), "Started 10 web servers.");
  int open = network_.Connect(8080);
  responder_.StopWebServer();
  EXPECT_EQ(network_.Connect(8080), -1);
  EXPECT_EQ(network_.Connect(8443), -1);
  EXPECT_EQ(lbltype_.Caption(), "Stopped blocking...");
  EXPECT_EQ(log_.back(), "Stopped Web Server.");
  network_.Send(open, Get("/x.htm"));
  network_.CompleteSends();
  EXPECT_EQ(network_.Received(open), "Quorlen Blocked HTM Ad");
  EXPECT_EQ(blocked_, 1);
  responder_.StartWebServers();  // existing slots stay, the listeners reopen
  EXPECT_EQ(network_.Listeners(), 2);
  EXPECT_TRUE(responder_.SlotExists(10));
}

// A port the program cannot have is said where the user looks, never shown as started.
TEST_F(ResponderTest, PortThatCannotBeHadIsTold) {
  responder_.StopWebServer();
  network_.listenFailure = "port 8080 is in use by nginx (pid 7)";
  responder_.StartWebServer();
  EXPECT_EQ(lbltype_.Caption(), "Not blocking: port 8080 is in use by nginx (pid 7)");
  EXPECT_EQ(log_.back(), "Web server not started: port 8080 is in use by nginx (pid 7)");
  EXPECT_EQ(listenFailures_, std::vector<std::string>{"port 8080 is in use by nginx (pid 7)"});
  EXPECT_EQ(network_.Connect(8080), -1);
  EXPECT_EQ(blocked_, 0);
  EXPECT_TRUE(httpsFailures_.empty()) << "nothing is blocked, so HTTPS is not tried";

  // Without the HTTPS port the plain one still serves; those requests fail uncounted.
  network_.listenFailure = "port 8443 is in use by nginx (pid 7)";
  network_.listenFailurePort = 8443;
  responder_.StartWebServer();
  EXPECT_EQ(lbltype_.Caption(), "Started blocking...10 10");
  EXPECT_EQ(log_.back(), "HTTPS web server not started: port 8443 is in use by nginx (pid 7)");
  EXPECT_EQ(httpsFailures_, std::vector<std::string>{"port 8443 is in use by nginx (pid 7)"});
  EXPECT_EQ(network_.Connect(8443), -1);
  EXPECT_EQ(Ask(Get("/a.html")), "Quorlen Blocked HTML Ad");
  EXPECT_EQ(listenFailures_.size(), 1u);
}

// An HTTPS request is counted, recorded by its name alone and shown as a plain one is (see
// RecordLabelsAndAllowCaptions), its handshake refused at once.
TEST_F(ResponderTest, HttpsHelloIsCountedRecordedAndRefused) {
  const std::string hello = testing_support::CapturedHello("chromium");
  const std::string name = testing_support::kCapturedName;
  int client = network_.Connect(8443);
  network_.Send(client, hello.substr(0, 3));
  network_.Send(client, hello.substr(3, 700));
  EXPECT_EQ(blocked_, 0);
  network_.Send(client, hello.substr(703));
  network_.CompleteSends();
  EXPECT_EQ(network_.Received(client), kRefusal);
  EXPECT_TRUE(network_.ClosedByServer(client));
  EXPECT_EQ(records_, std::vector<std::string>{"09:05:07 '" + name + "'  from '' by ''"});
  EXPECT_EQ(std::tuple(lbltype_.Caption(), lblpage_.Caption(), blocked_),
            std::tuple("HTTPS Ad", "Blocking " + name + "\r\n", 1));
}

// Firefox tries a refused server again at once after a failed preload: one request.
TEST_F(ResponderTest, HttpsServerTriedAgainAtOnceCountsOnce) {
  using namespace testing_support;
  auto hello = [](const std::string& name) {
    return InRecords(HelloMessage(ServerNameExtension(name)));
  };
  struct Step {
    std::int64_t at;
    const char* name;
    int counted;  // blocked ads so far
  };
  for (const Step& step : std::vector<Step>{{0, "a.example", 1},
                                            {499, "a.example", 1},
                                            {499, "b.example", 2},
                                            {500, "a.example", 3},
                                            {998, "b.example", 3},
                                            {999, "b.example", 4}}) {
    nowMs_ = step.at;
    EXPECT_EQ(Ask(hello(step.name), 8443), kRefusal) << step.at << " " << step.name;
    EXPECT_EQ(blocked_, step.counted) << step.at << " " << step.name;
  }
}

TEST_F(ResponderTest, HttpsConnectionsThatNameNoServerAreNotCounted) {
  using namespace testing_support;
  struct Row {
    const char* what;
    std::string bytes;
    std::string reply;
  };
  const std::vector<Row> rows = {
      {"plain HTTP", Get("/a.gif"), ""},
      {"too large", InRecords("\x01" + BigEndian(1 << 20, 3)), ""},
      {"no server name: refused as TLS", InRecords(HelloMessage("", false)), kRefusal},
  };
  for (const Row& row : rows) EXPECT_EQ(Ask(row.bytes, 8443), row.reply) << row.what;
  int left = network_.Connect(8443);
  network_.Send(left, CapturedHello("firefox").substr(0, 100));
  network_.CloseFromBrowser(left);
  network_.CompleteSends();
  EXPECT_EQ(network_.Received(left), "");
  EXPECT_EQ(std::tuple(blocked_, records_.size()), std::tuple(0, 0u));
  EXPECT_EQ(lbltype_.Caption(), "Started blocking...10 10");
}

// HTTPS connections never take port 80's slots nor cause their recycle, and when all their
// own places are taken by silent clients, the one that waited longest makes room.
TEST_F(ResponderTest, HttpsConnectionsHaveTheirOwnBoundedPlaces) {
  int held = network_.Connect(8080);
  std::vector<int> silent;
  for (int i = 0; i < HttpsResponder::kConnections; ++i) silent.push_back(network_.Connect(8443));
  EXPECT_EQ(responder_.SlotState(0), socket_state::kConnected);
  EXPECT_EQ(responder_.SlotState(1), socket_state::kClosed);
  EXPECT_FALSE(network_.ClosedByServer(silent.front()));
  int next = network_.Connect(8443);
  EXPECT_TRUE(network_.ClosedByServer(silent[0]));
  EXPECT_FALSE(network_.ClosedByServer(silent[1]));
  network_.Send(next, testing_support::CapturedHello("curl"));
  network_.Send(held, Get("/a.js"));
  network_.CompleteSends();
  EXPECT_EQ(network_.Received(next), kRefusal);
  EXPECT_EQ(network_.Received(held), "<!-- Java Ad -->");
  EXPECT_EQ(blocked_, 2);
}

// Before the extra slots exist the listener has slot 0 alone: a second browser finds no
// free slot and is turned away without a word.
TEST_F(ResponderTest, ListenerWithoutExtraSlotsTakesOneConnection) {
  const std::string missingFolder = folder_.File("gone");
  Responder bare(network_, sound_,
                 {lbltype_, lblpage_, lblAllowServer_, lblAllow1_, mnuTrayAllow_, chkBannerSound_,
                  txtBannerWav_},
                 {nullptr, nullptr, nullptr, [this] { ++blocked_; }, nullptr}, missingFolder, 8081);
  bare.StartWebServer();
  int first = network_.Connect(8081);
  int second = network_.Connect(8081);
  EXPECT_FALSE(network_.ClosedByServer(first));
  EXPECT_TRUE(network_.ClosedByServer(second));
  network_.Send(second, Get("/a.gif"));
  network_.Send(first, Get("/a.gif"));
  network_.CompleteSends();
  EXPECT_EQ(network_.Received(second), "");
  EXPECT_EQ(network_.Received(first), "Blocked by Quorlen");  // no program folder
  EXPECT_EQ(blocked_, 1);
  EXPECT_FALSE(bare.SlotExists(1));
}

TEST_F(ResponderTest, PlaceholderFileProblems) {
  std::filesystem::remove(folder_.File("1by1.jpg"));
  EXPECT_EQ(Ask(Get("/b.gif")), "");
  EXPECT_TRUE(folder_.Exists("1by1.jpg") && folder_.Read("1by1.jpg").empty())
      << "left behind empty";
}

}  // namespace
}  // namespace quorlen
