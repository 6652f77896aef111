#include "update/version_check.h"

#include <gtest/gtest.h>

#include "tests/update/data_update_fixture.h"

namespace quorlen {
namespace {

constexpr const char* kVendor = "http://vendor.test/q/";
constexpr const char* kVersionFile = "http://vendor.test/q/zshared/version.txt";
constexpr const char* kDomains = "http://vendor.test/q/zshared/domains.txt";

class VersionCheckTest : public ::testing::Test, protected testing_support::FetchWorld {
 protected:
  VersionCheck& Check(const std::string& ownVersion = "2.0.5") {
    check = std::make_unique<VersionCheck>(
        fetcher, dialogs,
        VersionCheckControls{A, lblStatus, txtProxyName, mnuVersion, cmdNew, mnuTest, cmdTestConn},
        VersionCheckHooks{[this] { return loading; },
                          [this](const std::string& address) { opened.push_back(address); },
                          [this] { ++exits; }},
        VersionCheckSite{kVendor, ownVersion});
    return *check;
  }

  TabStrip A;
  Label lblStatus;
  std::vector<std::string> statuses;  // every caption the status showed
  Connection told = lblStatus.changed.Connect([this] { statuses.push_back(lblStatus.Caption()); });
  MenuItem mnuVersion, mnuTest;
  Button cmdNew, cmdTestConn;
  bool loading = false;
  std::vector<std::string> opened;
  int exits = 0;
  std::unique_ptr<VersionCheck> check;
};

TEST_F(VersionCheckTest, ReadsTheSiteVersionByCharacterPositions) {
  struct Case {
    const char* name;
    std::string ownVersion;
    std::optional<std::string> site;  // nothing: the site cannot be reached
    bool current;
    std::string siteVersion, changes;
  };
  for (const Case& c : std::vector<Case>{
           {"equal but for blanks", "1.0", "Version: 1.0 Xwhat changed", true, " 1.0 ",
            "what changed"},
           {"exactly thirteen characters", "2.0.5", "Version:2.0.6", false, "2.0.6", ""},
           {"no connection counts as current", "2.0.5", std::nullopt, true, "2.0.5",
            VersionCheck::kUnavailable},
       }) {
    SCOPED_TRACE(c.name);
    web.Forget();
    if (c.site) web.Serve(kVersionFile, *c.site);
    std::string own, site, changes;
    EXPECT_EQ(Check(c.ownVersion).CheckVersion(own, site, changes), c.current);
    EXPECT_EQ(std::tuple(own, site, changes), std::tuple(c.ownVersion, c.siteVersion, c.changes));
    EXPECT_EQ(std::pair(web.requests.back().timeoutSeconds, web.requests.back().maxBytes),
              std::pair(15, VersionCheck::kMaxVersionBytes));
  }
}

// The box fits on the screen: at most twenty lines of eighty characters, long lines wrapped.
TEST(ShownChanges, FitsInTwentyLinesOfEightyCharacters) {
  auto lines = [](int n, const std::string& line) {
    std::string text;
    for (int i = 0; i < n; ++i) text += line + "\r\n";
    return text;
  };
  const std::string wide(80, 'w');
  struct Case {
    const char* name;
    std::string changes, shown;
  } cases[] = {
      {"a short text as it is", "Faster lists.\r\nNew rules.", "Faster lists.\r\nNew rules."},
      {"twenty lines as they are", lines(19, "a") + "b", lines(19, "a") + "b"},
      {"the twenty-first line goes", lines(20, "a") + "b", lines(19, "a") + "a..."},
      {"empty lines count", lines(25, ""), lines(19, "") + "..."},
      {"a long line counts as it wraps", lines(19, "a") + wide + "x",
       lines(19, "a") + wide + "..."},
      {"one word of 4000 characters", std::string(4000, 'w'), std::string(1600, 'w') + "..."},
      {"lines of 81 characters wrap to two", lines(11, wide + "x"),
       lines(9, wide + "x") + wide + "x..."},
  };
  for (const Case& c : cases) EXPECT_EQ(ShownChanges(c.changes), c.shown) << c.name;
}

// Each row: what the site says, the answer to an offer, and the one box shown. Yes opens
// the download page (where a Linux user finds the package) and ends the program.
TEST_F(VersionCheckTest, TheVersionBoxSaysWhatTheSiteHas) {
  struct Row {
    const char* name;
    std::string own, site;
    int answer;
    std::string title;
    int style;
    std::string text;  // empty: any text that fits on the screen
  };
  const Row rows[] = {
      {"current", "2.0.5", "Version:2.0.5 Faster lists.", msgbox::kAnswerNo, "Quorlen", 0,
       "You have the latest version (2.0.5).  It has these features that the previous version "
       "did not:\r\nFaster lists."},
      {"too little to read", "2.0.5", "Version", msgbox::kAnswerNo, "Quorlen", 0,
       "The Quorlen Server could not be reached.  Please check your internet connection and try "
       "again later."},
      {"an offer answered no", "2.0.15", "Version:2.0.15 Fixes", msgbox::kAnswerNo,
       "A New Version is Available", 4,
       "The newer version (2.0.1) of Quorlen is available. You have version (2.0.15)\r\n"
       " Fixes\r\n\r\nWould you like to download this version now?\r\n"
       "http://vendor.test/q/download.asp"},
      {"an offer of 20 MB answered yes", "2.0.5",
       "Version:3.0.0 All new\r\n" + std::string(20 * 1024 * 1024, 'x'), msgbox::kAnswerYes,
       "A New Version is Available", 4, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    web.Forget();
    web.Serve(kVersionFile, row.site);
    dialogs.AnswerNext(row.answer);
    opened.clear();
    A.SetCurrentPage(0);
    const size_t before = dialogs.Boxes().size();
    Check(row.own);
    if (row.answer == msgbox::kAnswerYes) {
      mnuVersion.Click();
    } else {
      cmdNew.Click();
    }
    EXPECT_EQ(A.CurrentPage(), 5);
    ASSERT_EQ(dialogs.Boxes().size(), before + 1);
    const auto& box = dialogs.Boxes().back();
    EXPECT_EQ(std::pair(box.title, box.style), std::pair(row.title, row.style));
    if (row.text.empty()) {
      EXPECT_LT(box.text.size(), 2000u);
    } else {
      EXPECT_EQ(box.text, row.text);
    }
    const bool yes = row.answer == msgbox::kAnswerYes;
    EXPECT_EQ(opened, yes ? std::vector<std::string>{"http://vendor.test/q/download.asp"}
                          : std::vector<std::string>{});
    EXPECT_EQ(exits, yes ? 1 : 0);
  }
}

TEST_F(VersionCheckTest, TheButtonWaitsForTheWindowToLoadTheMenuDoesNot) {
  web.Serve(kVersionFile, "Version:2.0.5 x");
  loading = true;
  Check();
  cmdNew.Click();
  EXPECT_TRUE(dialogs.Boxes().empty());
  mnuVersion.Click();
  EXPECT_EQ(dialogs.Boxes().size(), 1u);
  cmdTestConn.Click();
  mnuTest.Click();
  EXPECT_EQ(dialogs.Boxes().size(), 1u);  // the connection test waits too
  EXPECT_EQ(web.Requests(kDomains), 0);
}

TEST_F(VersionCheckTest, ConnectionTestWithoutAProxy) {
  for (const bool served : {true, false}) {
    SCOPED_TRACE(served ? "success" : "failure");
    web.Forget();
    if (served) web.Serve(kDomains, "ads.example\r\n[END]\r\n");
    const size_t before = dialogs.Boxes().size();
    Check().mnuTest_Click();
    ASSERT_EQ(dialogs.Boxes().size(), before + 1);
    const std::string text = served ? "The test was a success. Quorlen was able to connect to the "
                                      "internet (no proxy server used)."
                                    : "Couldn't connect to server\r\nhttp://vendor.test/q/zshared/"
                                      "domains.txt\r\nThe test of your internet connection "
                                      "without a proxy server failed.";
    EXPECT_EQ(dialogs.Boxes().back().text.substr(0, text.size()), text);
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses[statuses.size() - 3], "Testing Connection to Quorlen. Please wait...");
    EXPECT_EQ(statuses[statuses.size() - 2],
              "Testing Connection to Quorlen (no proxy server used). Please wait...");
    EXPECT_EQ(lblStatus.Caption(), "Connection Tests Concluded.");
    EXPECT_EQ(std::pair(web.requests.back().proxy, web.requests.back().timeoutSeconds),
              std::pair(std::string(), 15));
  }
}

// The box decides that a proxy is used; the saved setting which one. A proxy typed but
// not saved is neither shown nor used: the fetch keeps the one it holds.
TEST_F(VersionCheckTest, ConnectionTestWithAProxyShowsTheOneTheFetchHolds) {
  sProxyName = "http://proxy.test:3128";
  txtProxyName.SetText("http://typed.test:8080");
  web.Serve(kDomains, "ads.example\r\n[END]\r\n");
  Check().mnuTest_Click();
  // Before the first fetch the transfer holds no proxy yet.
  EXPECT_EQ(statuses[1], "Testing Connection to Quorlen. Please wait...\r\nUsing Proxy Server ''");
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].text,
            "The test was a success.  Quorlen was able to connect to the internet using your "
            "named proxy server 'http://proxy.test:3128'");
  EXPECT_EQ(web.requests.back().proxy, "http://proxy.test:3128");

  web.Forget();
  cmdTestConn.Click();
  EXPECT_EQ(statuses[statuses.size() - 2],
            "Testing Connection to Quorlen. Please wait...\r\nUsing Proxy Server "
            "'http://proxy.test:3128'");
  const std::string& failure = dialogs.Boxes().back().text;
  EXPECT_EQ(failure.rfind("The test of your internet connection using http://proxy.test:3128 "
                          "as your proxy server failed.\r\n\r\nMake sure you are connected to "
                          "the internet and you have named ",
                          0),
            0u);
}

}  // namespace
}  // namespace quorlen
