// The real fetch over loopback: static, refusing and silent servers, and a real HTTP proxy
// whose log shows the request; then signed lists over HTTPS, from a certificate of an
// authority made for the test, into the real update.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/fake/scripted_dialogs.h"
#include "platform/linux/curl_fetch.h"
#include "tests/integration/fetch/local_servers.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_site_key.h"
#include "update/data_update.h"
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
  void DoEvents() override { ++doEvents; }
  void Sleep(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  int doEvents = 0;
};

class FetchLoopback : public ::testing::Test {
 protected:
  FetchLoopback() {
    std::filesystem::copy(QUORLEN_SITE_DIR, site.File("www"),
                          std::filesystem::copy_options::recursive);
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
  // A large body arrives whole.
  std::string big(5 * 1024 * 1024, 'x');
  for (size_t i = 0; i < big.size(); i += 61) big[i] = static_cast<char>('a' + i % 26);
  site.Write("www/big.txt", big);
  EXPECT_EQ(Get(base + "big.txt"), big);
  // Asked for its first bytes only, it ends there.
  EXPECT_EQ(fetcher.DownloadURL(base + "big.txt", 5, error, 4096), big.substr(0, 4096));

  // A missing file is a failure with the status line, not its error page as data.
  EXPECT_EQ(Get(base + "zshared/missing.txt"), "");
  EXPECT_EQ(error, "HTTP/1.0 404 File not found");
  EXPECT_FALSE(curl.StillExecuting());
  // A refused connection is told as such, and quickly, though it is tried eleven times.
  const std::int64_t start = loop.NowMs();
  EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/x.txt"), "");
  EXPECT_LT(MsSince(start), 5000);
  EXPECT_NE(error.find("onnect"), std::string::npos) << error;
}

TEST_F(FetchLoopback, ANeverAnsweringServerTimesOutOnceWhileEventsRun) {
  SilentServer silent;
  const std::int64_t start = loop.NowMs();
  EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(silent.Port()) + "/zshared/domains.txt", 1),
            "");
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
    site.Write(kLog, "");
    std::filesystem::permissions(site.File(kLog), std::filesystem::perms::all);
    const int port = FreeLoopbackPort();
    site.Write("proxy/tinyproxy.conf", "User nobody\nGroup nogroup\nPort " + std::to_string(port) +
                                           "\nListen 127.0.0.1\nTimeout 10\nLogFile \"" +
                                           site.File(kLog) +
                                           "\"\nLogLevel Info\nMaxClients 4\n"
                                           "Allow 127.0.0.1\nDisableViaHeader Yes\n" +
                                           extra);
    return std::make_unique<ServerProcess>(
        std::vector<std::string>{"tinyproxy", "-d", "-c", site.File("proxy/tinyproxy.conf")}, port);
  }
  // The proxy writes its log a moment after it answered.
  bool ProxyLogged(const std::string& line) {
    return WaitFor([&] { return site.Read(kLog).find(line) != std::string::npos; }, 5000);
  }
  static constexpr const char* kLog = "proxy/tinyproxy.log";
};

TEST_F(ProxyLoopback, TheSavedProxyCarriesTheRequestAndItsRefusalIsAFailure) {
  auto server = StaticWebServer(site.File("www"));
  auto proxy = StartProxy();
  ASSERT_TRUE(server->Running());
  ASSERT_TRUE(proxy->Running()) << "tinyproxy did not start";
  const std::string url =
      "http://127.0.0.1:" + std::to_string(server->Port()) + "/zshared/updatedate.txt";
  txtProxyName.SetText("http://127.0.0.1:" + std::to_string(proxy->Port()));
  sProxyName = txtProxyName.Text();
  EXPECT_EQ(Get(url), site.Read("www/zshared/updatedate.txt"));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(ProxyLogged(url)) << "the proxy's log does not show the request:\n"
                                << site.Read(kLog);

  // A proxy's own refusal is a failure with its status line.
  proxy.reset();
  proxy = StartProxy("BasicAuth user secret\n");
  ASSERT_TRUE(proxy->Running());
  sProxyName = "http://127.0.0.1:" + std::to_string(proxy->Port());
  EXPECT_EQ(Get(url), "");
  EXPECT_NE(error.find("407"), std::string::npos) << error;

  // A proxy that is not there fails the fetch; it does not go direct instead.
  sProxyName = "http://127.0.0.1:" + std::to_string(FreeLoopbackPort());
  EXPECT_EQ(Get(url), "");
  EXPECT_FALSE(error.empty());
}

// The signed vendor site at a name of its own: curl sends *.localhost to loopback itself.
class SignedSite : public ProxyLoopback {
 protected:
  static constexpr const char* kHost = "lists.quorlen.localhost";
  SignedSite() {
    Authority("tls", std::string(kHost) + " localhost");
    std::filesystem::create_directories(site.File("www/zshared"));
    Publish("zshared/updatedate.txt", "12/15/2002");
    Publish("zshared/domains.txt", "ads.example\r\n*pop.example\r\n[END]");
    Publish("zshared/removals.txt", "gone.example\r\n[END]");
    site.Write("quorlenhosts.ini", kOldList);
    site.Write("hosts", kHosts);
  }
  void Authority(const std::string& folder, const std::string& name) {
    const std::string make =
        std::string(QUORLEN_TEST_SUPPORT) + "/make-test-ca.sh " + site.File(folder) + " " + name;
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
  }
  void Publish(const std::string& path, const std::string& body) {
    site.Write("www/" + path, body);
    site.Write("www/" + path + ".sig", key.Sign(body));
  }
  std::unique_ptr<ServerProcess> Https(const std::string& tls, int port,
                                       const std::string& redirect = "") {
    std::vector<std::string> argv = {"python3",     QUORLEN_TEST_SUPPORT "/https_site.py",
                                     "--port",      std::to_string(port),
                                     "--cert",      site.File(tls + "/site.pem"),
                                     "--key",       site.File(tls + "/site.key"),
                                     "--directory", site.File("www")};
    if (!redirect.empty()) argv.insert(argv.end(), {"--redirect", redirect});
    return std::make_unique<ServerProcess>(argv, port);
  }
  // The status one update leaves, from the site at `port` as `host`, through `proxy` if any.
  std::string Update(int port, const std::string& host = kHost, const std::string& proxy = "") {
    CurlFetch tls(loop, site.File("tls/ca.pem"));
    TextBox box;
    box.SetText(proxy);
    std::string saved = proxy;
    Fetcher secure(tls, loop, dialogs, box, saved);
    ProfileStore profiles;
    Label lblStatus, lblDateUpdate;
    ProgressBar bar;
    MenuItem mnuUpdate;
    Button cmdData, cmdData2, cmdRemoval;
    CheckBox chkAuto;
    std::string sDateUpdate = "1/1/2001", defaultList = site.File("quorlenhosts.ini"),
                removalsList = site.File("removals.ini"), settings = site.File("quorlen.ini");
    bool automatic = false, blocking = true;
    std::int32_t blocked = 0;
    DataUpdater updater(
        secure, loop, profiles,
        {lblStatus, lblDateUpdate, bar, mnuUpdate, cmdData, cmdData2, cmdRemoval, chkAuto},
        {sDateUpdate, automatic, blocking, blocked}, {defaultList, removalsList, settings},
        {nullptr, nullptr, nullptr, nullptr, [this](bool) { ++rebuilds; }, nullptr,
         [this] { return site.Read("hosts"); },
         [this](const std::string& text, std::string_view eol) {
           site.Write("hosts", text + std::string(eol));
         },
         nullptr, nullptr},
        "https://" + host + ":" + std::to_string(port) + "/", key.Public());
    updater.CheckForDataUpdate(true);
    return lblStatus.Caption();
  }

  static constexpr const char* kOldList = "[DomainCount]\r\nN=1\r\n[Domains]\r\nD0=old.example\r\n";
  static constexpr const char* kHosts = "127.0.0.1 gone.example\n127.0.0.1 localhost\n";
  TestSiteKey key;
  int rebuilds = 0;
};

// Through the user's proxy the connection is tunnelled: the proxy sees no list.
TEST_F(SignedSite, ASignedListOverHttpsIsTakenThroughTheProxy) {
  const int port = FreeLoopbackPort();
  auto server = Https("tls", port);
  auto proxy = StartProxy();
  ASSERT_TRUE(server->Running()) << "the HTTPS server did not start";
  ASSERT_TRUE(proxy->Running());
  EXPECT_EQ(Update(port, "localhost", "http://127.0.0.1:" + std::to_string(proxy->Port())),
            "Removing Inactive Server 'gone.example'");
  EXPECT_NE(site.Read("quorlenhosts.ini").find("D1=pop.example\r\n"), std::string::npos);
  EXPECT_EQ(site.Read("hosts"), "127.0.0.1 localhost\n\n");
  EXPECT_EQ(rebuilds, 1);
  EXPECT_TRUE(ProxyLogged("CONNECT localhost:" + std::to_string(port))) << site.Read(kLog);
}

// A server in the site's place the trust does not vouch for is not spoken to, and the list
// and hosts files stay as they were.
TEST_F(SignedSite, AServerTheTrustDoesNotVouchForIsRefusedWithNothingChanged) {
  struct Case {
    const char* name;
    std::string tls;  // the certificate the server shows
    std::string host;
    bool redirectToHttp;  // to a plain server that would give the real files
    std::string says;
  };
  const std::vector<Case> cases = {
      {"an authority the system does not trust", "untrusted", kHost, false, "certificate"},
      {"the site's certificate asked for by another name", "tls", "other.quorlen.localhost", false,
       "subject name"},
      {"a redirect to plain HTTP", "tls", kHost, true, "Protocol \"http\" not supported"},
  };
  Authority("untrusted", kHost);  // an authority of the attacker's own
  auto plain = StaticWebServer(site.File("www"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int port = FreeLoopbackPort();
    auto server = Https(c.tls, port,
                        c.redirectToHttp ? "http://" + std::string(kHost) + ":" +
                                               std::to_string(plain->Port()) + "/"
                                         : "");
    ASSERT_TRUE(server->Running());
    const std::string status = Update(port, c.host);
    EXPECT_EQ(status.rfind("Problems checking ad server database.  Please check your internet "
                           "connection and try again in a few minutes. Error=",
                           0),
              0u)
        << status;
    EXPECT_NE(status.find(c.says), std::string::npos) << status;
    EXPECT_EQ(site.Read("quorlenhosts.ini"), kOldList);
    EXPECT_EQ(site.Read("hosts"), kHosts);
    EXPECT_FALSE(std::filesystem::exists(site.File("removals.ini")));
    EXPECT_EQ(rebuilds, 0);
  }
}

}  // namespace
}  // namespace quorlen
