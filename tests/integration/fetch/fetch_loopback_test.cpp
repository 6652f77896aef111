// The real fetch over loopback: a static web server serving the vendor site, a server
// that refuses, one that never answers, an error status, a large body, and a real HTTP
// proxy whose log shows the request went through it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/fake/scripted_dialogs.h"
#include "platform/linux/curl_fetch.h"
#include "tests/integration/fetch/local_servers.h"
#include "tests/support/temp_folder.h"
#include "update/fetcher.h"

namespace quorlen {
namespace {

using namespace testing_support;

// An event loop on the real clock that counts how often the waiting fetch let events run.
class CountingLoop : public EventLoop {
 public:
  std::int64_t NowMs() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  LocalTime LocalNow() override { return {}; }
  TimerId StartTimer(int, std::function<void()>) override { return 0; }
  void StopTimer(TimerId) override {}
  void Post(std::function<void()> work) override { work(); }
  void DoEvents() override { ++doEvents; }
  void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  int doEvents = 0;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class FetchLoopback : public ::testing::Test {
 protected:
  FetchLoopback() {
    std::filesystem::copy(QUORLEN_SITE_DIR, site.File("www"), std::filesystem::copy_options::recursive);
  }
  std::string Get(const std::string& url, std::int16_t timeout = 5) {
    error.clear();
    return fetcher.DownloadURL(url, timeout, error);
  }
  std::int64_t MsSince(std::int64_t start) { return loop.NowMs() - start; }

  TempFolder site;
  CountingLoop loop;
  CurlFetch curl{loop};
  ScriptedDialogs dialogs;
  TextBox txtProxyName;
  std::string sProxyName;
  Fetcher fetcher{curl, loop, dialogs, txtProxyName, sProxyName};
  std::string error;
};

TEST_F(FetchLoopback, TheVendorSiteFromAStaticWebServer) {
  auto server = StaticWebServer(site.File("www"));
  ASSERT_TRUE(server->Running()) << "python3 -m http.server did not start";
  const std::string base = "http://127.0.0.1:" + std::to_string(server->Port()) + "/";
  for (const char* file : {"zshared/domains.txt", "zshared/removals.txt", "zshared/updatedate.txt",
                           "zshared/version.txt"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(Get(base + file), ReadFile(site.File(std::string("www/") + file)));
    EXPECT_EQ(error, "");
  }
  // A large body arrives whole.
  std::string big(5 * 1024 * 1024, 'x');
  for (size_t i = 0; i < big.size(); i += 61) big[i] = static_cast<char>('a' + i % 26);
  site.Write("www/big.txt", big);
  EXPECT_EQ(Get(base + "big.txt"), big);

  // A missing file is a failure with the status line, not its error page as data.
  EXPECT_EQ(Get(base + "zshared/missing.txt"), "");
  EXPECT_EQ(error, "HTTP/1.0 404 File not found");
  EXPECT_FALSE(curl.StillExecuting());
}

TEST_F(FetchLoopback, ARefusingServerIsTriedElevenTimesQuickly) {
  const int port = FreePort();  // nothing listens there
  const std::int64_t start = loop.NowMs();
  EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(port) + "/zshared/domains.txt"), "");
  EXPECT_LT(MsSince(start), 5000);
  EXPECT_NE(error.find("onnect"), std::string::npos) << error;
  EXPECT_NE(error, Fetcher::kNoResponse);
}

TEST_F(FetchLoopback, ANeverAnsweringServerTimesOutOnceWhileEventsRun) {
  SilentServer silent;
  const std::int64_t start = loop.NowMs();
  EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(silent.Port()) + "/zshared/domains.txt", 1), "");
  const std::int64_t took = MsSince(start);
  EXPECT_GE(took, 900);
  EXPECT_LT(took, 4000);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(silent.TakeConnections(), 1) << "an attempt that ran into the time-out is not repeated";
  EXPECT_GT(loop.doEvents, 30) << "the window keeps repainting while the fetch waits";
}

class ProxyLoopback : public FetchLoopback {
 protected:
  // A tinyproxy on loopback that logs every request; it drops root for "nobody", so its
  // folder and log are open to that user.
  std::unique_ptr<ServerProcess> StartProxy(const std::string& extra = "") {
    std::filesystem::create_directories(site.File("proxy"));
    std::filesystem::permissions(site.Path(), std::filesystem::perms::all);
    std::filesystem::permissions(site.File("proxy"), std::filesystem::perms::all);
    logFile = site.File("proxy/tinyproxy.log");
    site.Write("proxy/tinyproxy.log", "");
    std::filesystem::permissions(logFile, std::filesystem::perms::all);
    const int port = FreePort();
    site.Write("proxy/tinyproxy.conf", "User nobody\nGroup nogroup\nPort " + std::to_string(port) +
                                           "\nListen 127.0.0.1\nTimeout 10\nLogFile \"" +
                                           logFile + "\"\nLogLevel Info\nMaxClients 4\n"
                                           "Allow 127.0.0.1\nDisableViaHeader Yes\n" + extra);
    return std::make_unique<ServerProcess>(
        std::vector<std::string>{"tinyproxy", "-d", "-c", site.File("proxy/tinyproxy.conf")}, port);
  }
  std::string logFile;
};

TEST_F(ProxyLoopback, TheSavedProxyCarriesTheRequest) {
  auto server = StaticWebServer(site.File("www"));
  auto proxy = StartProxy();
  ASSERT_TRUE(server->Running());
  ASSERT_TRUE(proxy->Running()) << "tinyproxy did not start";
  const std::string url =
      "http://127.0.0.1:" + std::to_string(server->Port()) + "/zshared/updatedate.txt";
  txtProxyName.SetText("http://127.0.0.1:" + std::to_string(proxy->Port()));
  sProxyName = txtProxyName.Text();
  EXPECT_EQ(Get(url), ReadFile(site.File("www/zshared/updatedate.txt")));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(fetcher.UsesProxy());
  std::string log;
  for (int i = 0; i < 40 && log.find(url) == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    log = ReadFile(logFile);
  }
  EXPECT_NE(log.find(url), std::string::npos) << "the proxy's log does not show the request:\n" << log;
}

TEST_F(ProxyLoopback, AProxysOwnRefusalIsAFailureWithItsStatusLine) {
  auto server = StaticWebServer(site.File("www"));
  auto proxy = StartProxy("BasicAuth user secret\n");
  ASSERT_TRUE(server->Running());
  ASSERT_TRUE(proxy->Running());
  txtProxyName.SetText("http://127.0.0.1:" + std::to_string(proxy->Port()));
  sProxyName = txtProxyName.Text();
  EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(server->Port()) + "/zshared/domains.txt"), "");
  EXPECT_NE(error.find("407"), std::string::npos) << error;

  // A proxy that is not there fails the fetch; it does not go direct instead.
  sProxyName = "http://127.0.0.1:" + std::to_string(FreePort());
  EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(server->Port()) + "/zshared/domains.txt"), "");
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace quorlen
