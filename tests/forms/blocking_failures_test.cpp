// When ad-server blocking cannot work, the program says why where the user looks and
// nothing claims blocking: not the box, the server count, the tray tip nor the web server.
#include "hosts/ad_server_blocker.h"
#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using testing_support::ProgramTest;

std::string ListFile(const std::vector<std::string>& names) {
  std::string text = "[DomainCount]\r\nN=" + std::to_string(names.size()) + "\r\n[Domains]\r\n";
  for (size_t i = 0; i < names.size(); ++i)
    text += "D" + std::to_string(i) + "=" + names[i] + "\r\n";
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The program with the real hosts-file blocking wired as the program wires it.
class BlockingFailures : public ProgramTest {
 protected:
  BlockingFailures() {
    StartedBefore();
    dir.Write("program/quorlenhosts.ini", ListFile({"ads.example", "track.example"}));
    dir.Write("program/quorlen.ini", "[Settings]\r\nbBlockAdServers=True\r\nnTotHosts=2\r\n");
    dir.Write("etc/hosts", kOwn);
    wire = [this](frmMain& main) {
      AdServerHooks hooks;
      hooks.startWebServers = [this] { ++webStarts; };
      hooks.stopWebServer = [this] { ++webStops; };
      hooks.blockingFailed = [&main](const std::string& what) { main.AdBlockingFailed(what); };
      hooks.trouble = [&main](const std::string& what) { main.TellTrouble(what); };
      blocker = ProgramBlocker(main, std::move(hooks));
      main.SetAdServerBlocking(blocker.get());
      main.onTrouble = [this](const std::string& what) { told.push_back(what); };
    };
  }

  // Nothing of the program says that servers are blocked.
  void ExpectNothingClaimsBlocking(frmMain& main) {
    EXPECT_FALSE(main.Controls().chkAdServers.Ticked());
    EXPECT_FALSE(main.Options().bBlockAdServers);
    EXPECT_EQ(main.Controls().lblTotHosts.Caption(), "0");
    main.Tray().RefreshTrayTip();
    EXPECT_EQ(tray.shown.szTip.substr(0, 9), "Quorlen. ");
    EXPECT_LE(webStarts, webStops) << "the web server is left running";
    EXPECT_EQ(dir.Read("etc/hosts").find("ads.example"), std::string::npos);
    main.Save();
    EXPECT_EQ(SettingsValue("bBlockAdServers"), "False");
  }

  const std::string kOwn = "127.0.0.1 localhost\n# printer\n192.168.1.9 printer\n";
  std::unique_ptr<AdServerBlocker> blocker;
  std::vector<std::string> told;
  int webStarts = 0, webStops = 0;
};

TEST_F(BlockingFailures, HostsFileThatCannotBeWrittenAtTheDelayedStep) {
  privileged.writeFailure = "quorlen-helper does not answer on /run/quorlen-helper.sock";
  frmMain& main = Start();
  clock.Advance(2500);
  const std::string what =
      "Quorlen could not change the hosts file: quorlen-helper does not answer on "
      "/run/quorlen-helper.sock\r\nAd servers are not blocked.";
  EXPECT_TRUE(EndsWith(main.Controls().lblStatus.Caption(), what))
      << main.Controls().lblStatus.Caption();
  EXPECT_EQ(told, std::vector<std::string>{what});
  ExpectNothingClaimsBlocking(main);
  // The box was cleared without its handler: nothing more was written or said.
  EXPECT_TRUE(privileged.written.empty());
}

TEST_F(BlockingFailures, PortThatCannotBeHadSwitchesBlockingOff) {
  frmMain& main = Start();
  clock.Advance(2500);
  ASSERT_NE(dir.Read("etc/hosts").find("127.0.0.1 ads.example"), std::string::npos);
  main.WebServerFailed("quorlen-helper: port 80 is in use by nginx (pid 7)");
  const std::string what =
      "Quorlen cannot answer the blocked ad servers: quorlen-helper: port 80 is in use by nginx "
      "(pid 7)\r\nAd servers are not blocked.";
  // First, above the long text of the switched-off box.
  EXPECT_EQ(main.Controls().lblStatus.Caption().rfind(what + "\r\n\r\nPLEASE RESTART", 0), 0u)
      << main.Controls().lblStatus.Caption();
  EXPECT_EQ(told, std::vector<std::string>{what});
  ExpectNothingClaimsBlocking(main);
}

// Without the HTTPS port the blocked names' HTTPS requests still fail, only uncounted:
// blocking stays on and the user is told why.
TEST_F(BlockingFailures, HttpsPortThatCannotBeHadIsToldAndBlockingStays) {
  frmMain& main = Start();
  clock.Advance(2500);
  main.HttpsPortFailed("quorlen-helper: port 443 is in use by nginx (pid 7)");
  const std::string what =
      "Quorlen cannot answer the blocked ad servers over HTTPS: quorlen-helper: port 443 is in "
      "use by nginx (pid 7)\r\nTheir HTTPS requests still fail, but are not counted.";
  EXPECT_TRUE(EndsWith(main.Controls().lblStatus.Caption(), what))
      << main.Controls().lblStatus.Caption();
  EXPECT_EQ(told, std::vector<std::string>{what});
  EXPECT_TRUE(main.Controls().chkAdServers.Ticked());
  EXPECT_NE(dir.Read("etc/hosts").find("127.0.0.1 ads.example"), std::string::npos);
  EXPECT_EQ(webStops, 0);
}

TEST_F(BlockingFailures, UsersOwnFileThatCannotBeKeptIsTold) {
  firstStart.startedBefore = false;
  privileged.writeFailure = "quorlen-helper: refused";
  Start();
  clock.Advance(2500);
  EXPECT_FALSE(dir.Exists("etc/hostsqlb"));
  ASSERT_FALSE(told.empty());
  EXPECT_EQ(told.front(),
            "Quorlen could not keep a copy of your own hosts file: quorlen-helper: refused");
}

}  // namespace
}  // namespace quorlen
