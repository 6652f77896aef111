#include "update/fetcher.h"

#include <gtest/gtest.h>

#include "tests/update/data_update_fixture.h"

namespace quorlen {
namespace {

class FetcherTest : public ::testing::Test, protected testing_support::FetchWorld {
 protected:
  std::string Get(std::int16_t timeout = 20) {
    error.clear();
    return fetcher.DownloadURL(kUrl, timeout, error);
  }

  static constexpr const char* kUrl = "http://vendor.test/zshared/domains.txt";
  std::string error;
};

TEST_F(FetcherTest, TimeoutBelowOneMeansThirtySeconds) {
  web.Serve(kUrl, "x");
  for (auto [given, used] : std::vector<std::pair<std::int16_t, int>>{
           {0, 30}, {-1, 30}, {-32768, 30}, {1, 1}, {12, 12}, {32767, 32767}}) {
    Get(given);
    EXPECT_EQ(web.requests.back().timeoutSeconds, used) << given;
  }
}

TEST_F(FetcherTest, AttemptLoop) {
  using Answer = ScriptedFetch::Answer;
  struct Case {
    const char* name;
    std::vector<Answer> script;
    std::string body;
    int requests;
    std::string error;
  };
  const std::string refused = "Couldn't connect to server", slow = "Timeout was reached",
                    notFound = "HTTP/1.1 404 Not Found", unknown = "Couldn't resolve host name";
  const std::vector<Case> cases = {
      {"served at once", {{"data", "", 30}}, "data", 1, ""},
      {"refused at once, eleven times in all", {{"", refused, 3}}, "", 11, refused},
      {"empty answers without an error", {{"", "", 3}}, "", 11, "No Response Returned"},
      {"one slow failure is not repeated", {{"", slow, 500}}, "", 1, slow},
      {"just under half a second repeats", {{"", refused, 499}, {"ok", "", 10}}, "ok", 2, refused},
      {"a quick error status repeats, its page unused", {{"", notFound, 5}}, "", 11, notFound},
      // An earlier error stays reported after a success; the last of several is told.
      {"error, then success", {{"", unknown, 2}, {"", "", 2}, {"late", "", 2}}, "late", 3, unknown},
      {"errors", {{"", "first", 2}, {"", "second", 2}, {"", "", 600}}, "", 3, "second"},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    web.requests.clear();
    web.Script(kUrl, c.script);
    EXPECT_EQ(Get(), c.body);
    EXPECT_EQ(web.Requests(kUrl), c.requests);
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(dialogs.WaitCursor());
  }
}

TEST_F(FetcherTest, ProxyIsTheSavedOneAndStaysOnceUsed) {
  web.Serve(kUrl, "x");
  Get();
  EXPECT_EQ(web.requests.back().proxy, "") << "empty box: direct";
  EXPECT_FALSE(fetcher.UsesProxy());

  txtProxyName.SetText("http://typed.example:8080");  // typed, not saved
  Get();
  EXPECT_EQ(web.requests.back().proxy, "") << "a proxy typed but not saved is not used";

  sProxyName = "http://saved.example:3128";  // the settings were saved
  Get();
  EXPECT_EQ(web.requests.back().proxy, "http://saved.example:3128");

  txtProxyName.SetText("");
  sProxyName = "";
  Get();
  EXPECT_EQ(web.requests.back().proxy, "http://saved.example:3128")
      << "once used, the named proxy stays until the program ends";
  EXPECT_TRUE(fetcher.UsesProxy());
}

// While a fetch waits the hourglass shows, and another fetch started then fails at once.
TEST_F(FetcherTest, AFetchStartedWhileOneWaitsFailsAtOnce) {
  web.Serve(kUrl, "first", 200);
  web.Serve("http://other.test/", "second");
  std::string nestedBody = "unset", nestedError;
  bool waitingShown = false;
  web.whileWaiting = [&](const FetchRequest& request) {
    if (request.url != kUrl) return;
    waitingShown = dialogs.WaitCursor();
    nestedBody = fetcher.DownloadURL("http://other.test/", 5, nestedError);
  };
  EXPECT_EQ(Get(), "first");
  EXPECT_EQ(nestedBody, "");
  EXPECT_EQ(nestedError, Fetcher::kBusy);
  EXPECT_EQ(web.Requests("http://other.test/"), 0);
  EXPECT_FALSE(fetcher.Busy());
  EXPECT_TRUE(waitingShown);
  EXPECT_FALSE(dialogs.WaitCursor());
}

}  // namespace
}  // namespace quorlen
