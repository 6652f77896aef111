#include "update/data_update.h"

#include <functional>

#include "tests/update/data_update_fixture.h"

namespace quorlen {
namespace {

using testing_support::DataUpdateTest;
using testing_support::ListFile;

const std::string kDomains = "# active ad servers\r\nads.example.net\r\n*pop.example.net\r\n[END]";
const std::string kRemovals = "# gone\r\nold.example.com\r\nnot-there.example\r\n[END]";
const std::string kHosts =
    "127.0.0.1 old.example.com\n127.0.0.1 keep.example\n# 127.0.0.1 old.example.com\n"
    "127.0.0.1 old.example.com.au\n127.0.0.1 localhost\n";

TEST_F(DataUpdateTest, NewerSiteDataIsDownloadedStampedSavedAndBuilt) {
  Local({"stale.example"}, kHosts);
  Site("12/15/2002", kDomains, kRemovals);
  sDateUpdate = "12/14/2002";
  updater->mnuUpdate_Click();

  EXPECT_EQ(ListOf(defaultList), (std::vector<std::string>{"ads.example.net", "pop.example.net"}));
  EXPECT_EQ(ListOf(removalsList),
            (std::vector<std::string>{"old.example.com", "not-there.example"}));
  // Only the exact line goes: the commented line loses its text up to the line end, the
  // longer name stays.
  EXPECT_EQ(dir.Read("hosts"),
            "127.0.0.1 keep.example\n# 127.0.0.1 old.example.com.au\n127.0.0.1 localhost\n\n");
  EXPECT_EQ(std::tuple(sDateUpdate, lblDateUpdate.Caption(), lastUpdateShown),
            std::tuple("12/6/2026", "Last Updated today!", "Last Updated today!"));
  EXPECT_EQ(calls, (std::vector<std::string>{"hourglass", "status page", "save 12/6/2026",
                                             "rebuild(true)", "allow(true)", "pointer"}));
  EXPECT_FALSE(ProgressBar1.Visible());
  EXPECT_TRUE(cmdData.Enabled() && cmdData2.Enabled() && mnuUpdate.Enabled());
}

TEST_F(DataUpdateTest, AnEqualOrUnreadableDateWaitsForTheDownloadButton) {
  struct Case {
    const char* siteDate;
    const char* status;
  };
  for (const Case& c : std::vector<Case>{
           {"12/15/2002",
            "Quorlen data is Current. \r\n\r\nQuorlen was last updated on 12/15/2002.\r\n\r\n"
            "The latest updates from the Quorlen Server were available on 12/15/2002."},
           {"2002-12-15",
            "The Quorlen site's date could not be read: '2002-12-15'. The Download button "
            "downloads the ad blocking data anyway."}}) {
    SCOPED_TRACE(c.siteDate);
    web.Forget();
    Make();  // a new run: nothing forced yet
    Local({"kept.example"});
    Site(c.siteDate, kDomains, kRemovals);
    sDateUpdate = "12/15/2002";
    updater->mnuUpdate_Click();
    EXPECT_EQ(lblStatus.Caption(), c.status);
    EXPECT_EQ(web.Requests(Url("zshared/domains.txt")), 0);
    EXPECT_EQ(ListOf(defaultList), std::vector<std::string>{"kept.example"});
    EXPECT_EQ(lastUpdateShown, "Last Updated 12/15/2002");

    updater->cmdData_Click();
    EXPECT_TRUE(updater->bForceDownload());
    EXPECT_EQ(web.Requests(Url("zshared/domains.txt")), 1);
    EXPECT_EQ(ListOf(defaultList),
              (std::vector<std::string>{"ads.example.net", "pop.example.net"}));

    // The forced download stays in force for the rest of the run.
    updater->CheckForDataUpdate(true);
    EXPECT_EQ(web.Requests(Url("zshared/domains.txt")), 2);
  }
}

TEST_F(DataUpdateTest, DateComparisonAndNever) {
  struct Case {
    const char* local;
    const char* site;
    bool downloads;
  };
  const std::vector<Case> cases = {
      {"12/16/2002", "12/15/2002", false}, {"9/1/2002", "12/15/2002", true},
      {"12/1/2002", "9/15/2002", false},   {"Never", "1/2/2001", true},
      {"Never", "1/1/2001", false},        {"garbled", "1/1/2001", true},
  };
  Local({"a.example"});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.local) + " against " + c.site);
    web.requests.clear();
    Site(c.site, kDomains, kRemovals);
    sDateUpdate = c.local;
    updater->CheckForDataUpdate(true);
    EXPECT_EQ(web.Requests(Url("zshared/domains.txt")), c.downloads ? 1 : 0);
    if (std::string(c.local) == "Never" && !c.downloads) {
      EXPECT_EQ(sDateUpdate, "1/1/2001");
    }
  }
}

TEST_F(DataUpdateTest, FirstCheckWithoutAListFetchesTheActiveListOnly) {
  Site("12/15/2002", kDomains, kRemovals);
  dir.Write("hosts", kHosts);
  updater->CheckForDataUpdate(true);
  EXPECT_EQ(lblStatus.Caption(), "got config because it wasn't there " + kDomains);
  EXPECT_EQ(ListOf(defaultList).size(), 2u);
  EXPECT_EQ(web.Requests(Url("zshared/updatedate.txt")) + web.Requests(Url("zshared/removals.txt")),
            0);
  EXPECT_FALSE(dir.Exists("removals.ini"));
  EXPECT_EQ(std::tuple(dir.Read("hosts"), sDateUpdate, calls.size()),
            std::tuple(kHosts, "1/1/2001", 0u));
}

// A file of the site that fails to come, is incomplete or lacks the site's signature
// changes nothing: a hostile network or server can make up any bytes but not sign them.
TEST_F(DataUpdateTest, FailuresAndUnsignedFilesLeaveTheListsAndTheHostsFileAlone) {
  const std::string problems =
      "Problems checking ad server database.  Please check your internet connection and try "
      "again in a few minutes. Error=";
  const std::string failed = "Tried and failed to downloaded ad config data. Error=";
  const std::string unsigned_ =
      ": it does not carry the Quorlen site's signature, so it may not come from the site. "
      "Nothing was changed.";
  const std::string date = "zshared/updatedate.txt", list = "zshared/domains.txt";
  testing_support::TestSiteKey otherKey;
  struct Case {
    const char* name;
    std::function<void()> serve;  // beside a signed date and list unless it replaces them
    bool showMessages;
    std::string status;
  };
  const std::vector<Case> cases = {
      {"date refused", [&] { web.Refuse(Url(date)); }, true,
       problems + "Couldn't connect to server"},
      {"date refused, quietly", [&] { web.Refuse(Url(date)); }, false, "before"},
      {"date not a date", [&] { Signed(date, "<html>portal</html>"); }, true,
       "The Quorlen site's date could not be read: '<html>portal</html>'. The Download button "
       "downloads the ad blocking data anyway."},
      {"date with a changed byte", [&] { web.Serve(Url(date), "12/16/2002"); }, true,
       problems + "Quorlen refused " + date + unsigned_},
      {"list with a line end after the marker", [&] { Signed(list, kDomains + "\r\n"); }, true,
       failed + "The downloaded list of ad servers was incomplete."},
      {"list refused", [&] { web.Refuse(Url(list)); }, true, failed + "Couldn't connect to server"},
      {"list refused, quietly", [&] { web.Refuse(Url(list)); }, false, "config connect failed."},
      {"list without its signature", [&] { web.Refuse(Url(list) + ".sig"); }, true,
       failed + "Quorlen refused " + list +
           ": the Quorlen site sent no signature for it (Couldn't connect to server). Nothing "
           "was changed."},
      {"list signed with another key",
       [&] { web.Serve(Url(list) + ".sig", otherKey.Sign(kDomains)); }, true,
       failed + "Quorlen refused " + list + unsigned_},
      {"list with the date's signature",
       [&] { web.Serve(Url(list) + ".sig", siteKey.Sign("12/15/2002")); }, true,
       failed + "Quorlen refused " + list + unsigned_},
      {"list with a signature and more",
       [&] { web.Serve(Url(list) + ".sig", siteKey.Sign(kDomains) + "x"); }, true,
       failed + "Quorlen refused " + list + unsigned_},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Local({"kept.example"}, kHosts);
    web.Forget();
    Site("12/15/2002", kDomains, kRemovals);
    c.serve();
    sDateUpdate = "1/1/2001";
    calls.clear();
    refusals.clear();
    lblStatus.SetCaption("before");
    updater->CheckForDataUpdate(c.showMessages);
    EXPECT_EQ(lblStatus.Caption(), c.status);
    const size_t refusal = c.status.find("Quorlen refused");
    EXPECT_EQ(refusals, refusal == std::string::npos
                            ? std::vector<std::string>{}
                            : std::vector<std::string>{c.status.substr(refusal)});
    EXPECT_EQ(ListOf(defaultList), std::vector<std::string>{"kept.example"});
    EXPECT_FALSE(dir.Exists("removals.ini"));
    EXPECT_EQ(std::tuple(dir.Read("hosts"), sDateUpdate, calls.size()),
              std::tuple(kHosts, "1/1/2001", 0u));
  }
}

TEST_F(DataUpdateTest, AListDownloadWritesKeysOverTheOldFile) {
  struct Case {
    const char* name;
    std::string body;
    std::vector<std::string> names;
    std::string status;
  };
  const std::vector<Case> cases = {
      {"four lines give two",
       kDomains,
       {"ads.example.net", "pop.example.net"},
       "Configure Popup Ad Server '*pop.example.net'"},
      {"only the marker empties the list", "[END]", {}, ""},
      {"a name that is no host name is left out",
       "a.example\r\nbad\tname\r\n*\r\nb.example\r\n[END]",
       {"a.example", "b.example"},
       "Configure Banner Ad Server 'b.example'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Local({"o0", "o1", "o2", "o3", "o4"});
    Signed("zshared/domains.txt", c.body);
    lblStatus.SetCaption("");
    std::string error;
    EXPECT_EQ(updater->DownloadAdServers(true, error), c.body);
    EXPECT_EQ(ListOf(defaultList), c.names);
    EXPECT_EQ(lblStatus.Caption(), c.status);
    // Keys beyond the new count stay in the file, unread.
    EXPECT_NE(dir.Read("quorlenhosts.ini").find("D4=o4"), std::string::npos);
  }
}

// Every removal is recorded, but only blocking lines go: whatever the list says, the
// user's own lines (those of the saved "qlb" file) and the machine's names stay.
TEST_F(DataUpdateTest, RemovalsStrikeNeitherTheUsersOwnLinesNorTheMachinesNames) {
  dir.Write("hostsqlb", "127.0.0.1 localhost\r\n127.0.0.1 printer.lan\r\n");
  dir.Write("hosts",
            "127.0.0.1 old.example.com\r\n127.0.0.1 keep.example\r\n127.0.0.1 localhost\r\n"
            "127.0.0.1 printer.lan\r\n127.0.0.1 devbox\r\n");
  Signed("zshared/removals.txt",
         "absent.example\r\nold.example.com\r\nprinter.lan\r\nlocalhost\r\ndevbox\r\n[END]");
  updater->cmdRemoval_Click();
  EXPECT_EQ(ListOf(removalsList), (std::vector<std::string>{"absent.example", "old.example.com",
                                                            "printer.lan", "localhost", "devbox"}));
  EXPECT_EQ(dir.Read("hosts"),
            "127.0.0.1 keep.example\r\n127.0.0.1 localhost\r\n127.0.0.1 printer.lan\r\n"
            "127.0.0.1 devbox\r\n\r\n")
      << "the file keeps CR LF";
  EXPECT_EQ(lblStatus.Caption(), "Removing Inactive Server 'devbox'");
}

TEST_F(DataUpdateTest, RemovalFailuresAndAnEmptyHostsFile) {
  dir.Write("hosts", kHosts);
  Signed("zshared/removals.txt", "old.example.com\r\n[END]\r\n");
  updater->DownloadRemovals(true);
  EXPECT_EQ(lblStatus.Caption(),
            "Internet download of the Quorlen Inactive Ad Servers configuration data failed or "
            "didn't complete.  Please try again later.");
  web.Serve(Url("zshared/removals.txt"), "old.example.com\r\n[END]");
  updater->DownloadRemovals(true);
  EXPECT_EQ(lblStatus.Caption(),
            "Quorlen refused zshared/removals.txt: it does not carry the Quorlen site's "
            "signature, so it may not come from the site. Nothing was changed.");
  web.Refuse(Url("zshared/removals.txt"));
  updater->DownloadRemovals(true);
  EXPECT_EQ(lblStatus.Caption(), "removal config connect failed.");
  EXPECT_EQ(dir.Read("hosts"), kHosts);
  EXPECT_FALSE(dir.Exists("removals.ini"));

  dir.Write("hosts", "");
  Signed("zshared/removals.txt", "old.example.com\r\n[END]");
  updater->DownloadRemovals(true);
  EXPECT_FALSE(dir.Exists("removals.ini"));
  EXPECT_FALSE(ProgressBar1.Visible());
}

TEST_F(DataUpdateTest, AFailedRemovalListStillCompletesTheUpdateAndBlockingOffLeavesTheHosts) {
  Local({"a.example"}, kHosts);
  Site("12/15/2002", kDomains, "");
  web.Refuse(Url("zshared/removals.txt"));
  updater->CheckForDataUpdate(true);
  EXPECT_EQ(sDateUpdate, "12/6/2026");
  EXPECT_EQ(calls, (std::vector<std::string>{"save 12/6/2026", "rebuild(true)", "allow(true)"}));

  // With blocking off the hosts file is left and the allow controls go off.
  dir.Write("hosts", "127.0.0.1 localhost\n");
  Site("12/15/2002", kDomains, "[END]");
  bBlockAdServers = false;
  sDateUpdate = "1/1/2001";
  calls.clear();
  updater->CheckForDataUpdate(true);
  // The warning goes in front of what the status said before.
  EXPECT_EQ(lblStatus.Caption(),
            "WARNING: You have unchecked the 'Block Ad Servers...' checkbox so no ad servers are "
            "being blocked.Configure Popup Ad Server '*pop.example.net'");
  EXPECT_EQ(calls, (std::vector<std::string>{"save 12/6/2026", "allow(false)"}));
  EXPECT_EQ(dir.Read("hosts").find("ads.example.net"), std::string::npos);
}

TEST_F(DataUpdateTest, TriggersAreIgnoredWhileAnUpdateRuns) {
  Local({"a.example"}, kHosts);
  Site("12/15/2002", kDomains, kRemovals);
  std::vector<bool> enabledWhileWaiting;
  web.whileWaiting = [&](const FetchRequest& request) {
    if (request.url != Url("zshared/domains.txt")) return;
    enabledWhileWaiting = {mnuUpdate.Enabled(), cmdData.Enabled(), cmdData2.Enabled(),
                           cmdRemoval.Enabled()};
    cmdData.Click();
    cmdData2.Click();
    mnuUpdate.Click();
    cmdRemoval.Click();
    nBlockedToday = 10;
    updater->AfterBlockedAd();
  };
  updater->cmdData2_Click();
  EXPECT_EQ(enabledWhileWaiting, (std::vector<bool>{false, false, false, false}));
  EXPECT_EQ(web.Requests(Url("zshared/domains.txt")), 1);
  EXPECT_EQ(web.Requests(Url("zshared/removals.txt")), 1);
  EXPECT_TRUE(mnuUpdate.Enabled() && cmdData.Enabled() && cmdData2.Enabled() &&
              cmdRemoval.Enabled());
}

TEST_F(DataUpdateTest, DownloadButtonsAndTheAutomaticBox) {
  Local({"a.example"});
  Site("1/1/2001", kDomains, kRemovals);
  loading = true;
  cmdData.Click();
  chkAuto.SetTicked(false);
  EXPECT_EQ(web.requests.size(), 0u);
  EXPECT_FALSE(updater->bForceDownload());
  EXPECT_TRUE(bAutoDownload) << "the box is ignored while the program loads";

  // The second Download button forces even while loading, then finds the first one ignoring it.
  cmdData2.Click();
  EXPECT_TRUE(updater->bForceDownload());
  EXPECT_EQ(web.requests.size(), 0u);

  loading = false;
  chkAuto.SetTicked(true);
  chkAuto.SetTicked(false);
  EXPECT_FALSE(bAutoDownload);
  cmdData.Click();
  EXPECT_EQ(web.Requests(Url("zshared/domains.txt")), 1);
}

}  // namespace
}  // namespace quorlen
