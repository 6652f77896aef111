#include "forms/ad_server_blocker.h"

#include <fstream>

#include "core/kestro_global_fn.h"
#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using testing_support::ProgramTest;

class RecordingWebServer : public WebServer {
 public:
  void StartWebServers() override { ++starts; }
  void StopWebServer() override { ++stops; }
  int starts = 0, stops = 0;
};

std::string ListFile(const std::vector<std::string>& names) {
  std::string text = "[DomainCount]\r\nN=" + std::to_string(names.size()) + "\r\n[Domains]\r\n";
  for (size_t i = 0; i < names.size(); ++i) text += "D" + std::to_string(i) + "=" + names[i] + "\r\n";
  return text;
}

class HostsBlocking : public ProgramTest {
 protected:
  HostsBlocking() { adServers = nullptr; }
  frmMain& Run(const std::string& hosts) {
    StartedBefore();
    dir.Write("etc/hosts", hosts);
    program = nullptr;
    frmMain& main = Start();
    blocker = std::make_unique<AdServerBlocker>(main, web);
    main.SetAdServerBlocking(blocker.get());
    blocker->LoadExclusions();
    return main;
  }
  std::string Hosts() { return dir.Read("etc/hosts"); }

  RecordingWebServer web;
  std::unique_ptr<AdServerBlocker> blocker;
};

const std::string kOwnHosts = "127.0.0.1 localhost\n\n# printer\n192.168.1.9 printer\n";

TEST_F(HostsBlocking, BuildWritesListedServersFirstAndReports) {
  dir.Write("program/quorlenhosts.ini", ListFile({"ads.example", " banner.example ", ""}));
  dir.Write("program/userhosts.ini", ListFile({"mine.example"}));
  dir.Write("program/quorlenhostsexc.ini", ListFile({"banner.example"}));
  frmMain& main = Run(kOwnHosts);
  blocker->ReadLocalBanListAndUpdateHostsFile(true);
  EXPECT_EQ(Hosts(),
            "127.0.0.1 ads.example\n127.0.0.1 mine.example\n127.0.0.1 localhost\n# printer\n"
            "192.168.1.9 printer\n\n");
  // Saving the settings at the end puts its line above the report.
  EXPECT_EQ(main.Controls().lblStatus.Caption(),
            "Settings Saved\r\nData for 3 blocked ad servers and 1 allowed ad servers was configured:\r\n"
            "- ads.example\n- mine.example\n\r\n\r\n"
            "You should restart your computer if you want these changes to take effect.");
  EXPECT_EQ(main.Options().nTotHosts, 4);
  EXPECT_EQ(main.Controls().lblTotHosts.Caption(), "4");
  EXPECT_EQ(SettingsValue("bHostsFullySet"), "True");
  EXPECT_FALSE(main.Controls().ProgressBar1.Visible());
  EXPECT_FALSE(dialogs.WaitCursor());
}

TEST_F(HostsBlocking, SwitchingOffTakesOutOnlyTheWrittenLines) {
  dir.Write("program/quorlenhosts.ini", ListFile({"ads.example", "localhost"}));
  frmMain& main = Run(kOwnHosts + "127.0.0.1 ads.example  # my own\n");
  main.Controls().chkAdServers.SetTicked(true);  // already ticked: nothing runs
  blocker->ReadLocalBanListAndUpdateHostsFile(false);
  main.Controls().chkAdServers.Click();
  EXPECT_FALSE(main.Options().bBlockAdServers);
  EXPECT_EQ(web.stops, 1);
  EXPECT_EQ(SettingsValue("bHostsFullySet"), "False");
  // The user's own line made ads.example present, so it was never written; the user's
  // "127.0.0.1 localhost" has the written form of a listed server and goes.
  EXPECT_EQ(Hosts(), "# printer\n192.168.1.9 printer\n127.0.0.1 ads.example  # my own\n\n\n");
  EXPECT_EQ(main.Controls().lblStatus.Caption().rfind(
                "PLEASE RESTART YOUR COMPUTER FOR THESE CHANGES TO TAKE EFFECT. \r\n\r\n"
                "Quorlen will no longer prevent",
                0),
            0u);
  EXPECT_FALSE(main.Controls().cmdAllow.Enabled());
  EXPECT_FALSE(main.Controls().mnuTrayAllow.Enabled());
  EXPECT_EQ(main.Options().nDefaultCount, 0);
}

TEST_F(HostsBlocking, SwitchingOnBuildsAndStartsTheWebServer) {
  dir.Write("program/quorlenhosts.ini", ListFile({"ads.example"}));
  dir.Write("program/quorlen.ini", "[Settings]\r\nbBlockAdServers=False\r\n");
  frmMain& main = Run("127.0.0.1 localhost\r\n");
  main.Controls().chkAdServers.Click();
  EXPECT_TRUE(main.Options().bBlockAdServers);
  EXPECT_EQ(web.starts, 1);
  EXPECT_EQ(Hosts(), "127.0.0.1 ads.example\r\n127.0.0.1 localhost\r\n\r\n");
  EXPECT_TRUE(main.Controls().cmdAddSites.Enabled());
  EXPECT_EQ(main.Controls().lblStatus.Caption().rfind(
                "PLEASE RESTART YOUR COMPUTER FOR THESE CHANGES TO TAKE EFFECT. \r\n\r\n"
                "Quorlen will now block the known active ad servers from loading ads in your "
                "browser.  This stops banner ads as well as the x10 ads etc.\r\n\r\nIf you",
                0),
            0u);
}

TEST_F(HostsBlocking, ExitWithoutShortcutPutsTheUsersFileBack) {
  dir.Write("program/quorlenhosts.ini", ListFile({"ads.example"}));
  frmMain& main = Run(kOwnHosts);
  dir.Write("etc/hostsqlb", kOwnHosts);
  blocker->ReadLocalBanListAndUpdateHostsFile(true);
  const std::string blocking = Hosts();
  main.Controls().chkStartup.SetTicked(false);
  main.Controls().mnuFileExit.Click();
  EXPECT_EQ(Hosts(), kOwnHosts);
  EXPECT_EQ(dir.Read("etc/hostsqlf"), blocking);
  EXPECT_EQ(SettingsValue("bHostsFullySet"), "False");
  EXPECT_GE(clock.TotalSleptMs(), 400);
}

TEST_F(HostsBlocking, ExitWithoutBackupRemovesTheLines) {
  dir.Write("program/quorlenhosts.ini", ListFile({"ads.example"}));
  frmMain& main = Run("own\n");
  blocker->ReadLocalBanListAndUpdateHostsFile(true);
  main.Controls().chkStartup.SetTicked(false);
  main.Unload(unload_mode::kSessionEnd);
  EXPECT_EQ(Hosts(), "own\n\n\n");
}

TEST_F(HostsBlocking, CompleteOnlyWhenLongEnough) {
  frmMain& main = Run(std::string(14000, '#'));
  main.Options().bHostsFullySet = true;
  EXPECT_FALSE(blocker->IsHostsFullySet());
  dir.Write("etc/hosts", std::string(14001, '#'));
  EXPECT_TRUE(blocker->IsHostsFullySet());
  main.Options().bHostsFullySet = false;
  EXPECT_FALSE(blocker->IsHostsFullySet());
  std::filesystem::remove(dir.File("etc/hosts"));
  main.Options().bHostsFullySet = true;
  EXPECT_FALSE(blocker->IsHostsFullySet());
}

TEST_F(HostsBlocking, ExclusionsKeepTheirSlots) {
  dir.Write("program/quorlenhostsexc.ini",
            "[DomainCount]\r\nN=3\r\n[Domains]\r\nD0= a \r\nD2=c\r\nD3=stale\r\n");
  Run("");
  EXPECT_EQ(blocker->aExclusions(), (std::vector<std::string>{"a", "", "c", ""}));
  dir.Write("program/quorlenhostsexc.ini", "[DomainCount]\r\nN=lots\r\n");
  std::this_thread::sleep_for(ProfileStore::kRecheckInterval * 2);
  blocker->LoadExclusions();
  EXPECT_EQ(blocker->aExclusions(), (std::vector<std::string>{""}));
}

// A count beyond 16 bits fails its conversion: the count stays what it was, so a list
// that claims 40000 entries adds nothing on a first build.
TEST_F(HostsBlocking, CountBeyondSixteenBitsKeepsTheOldCount) {
  std::string list = ListFile({"a.example", "b.example"});
  list.replace(list.find("N=2"), 3, "N=40000");
  dir.Write("program/quorlenhosts.ini", list);
  frmMain& main = Run("own\n");
  main.Options().nDefaultCount = 1;
  blocker->ReadLocalBanListAndUpdateHostsFile(true);
  EXPECT_EQ(main.Options().nDefaultCount, 1);
  EXPECT_EQ(Hosts(), "127.0.0.1 a.example\nown\n\n");
  EXPECT_EQ(main.Options().nTotHosts, 40000);
}

TEST_F(HostsBlocking, FullDefaultListOverARealSizedFile) {
  std::ifstream in(std::string(QUORLEN_TEST_DATA) + "/../../data/adservers-default.txt");
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);) names.push_back(line);
  ASSERT_EQ(names.size(), 32767u);
  dir.Write("program/quorlenhosts.ini", ListFile(names));
  frmMain& main = Run(kOwnHosts);
  main.Controls().cmdClear.Click();
  blocker->ReadLocalBanListAndUpdateHostsFile(true);
  const std::string hosts = Hosts();
  EXPECT_EQ(std::count(hosts.begin(), hosts.end(), '\n'), 32767 + 3 + 1);
  EXPECT_EQ(hosts.find('\r'), std::string::npos);
  // Every 50th default entry lets the interface run.
  EXPECT_GE(clock.DoEventsCalls(), 32767 / 50);
}

}  // namespace
}  // namespace quorlen
