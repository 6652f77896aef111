// When ad-server blocking cannot work, the program says why where the user looks, keeps
// the user's choice, claims nothing (not the server count, the tray tip nor the web server)
// and blocks again by itself once it can.
#include "core/text.h"
#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

// The program over a hosts file of the user's own.
class BlockingFailures : public testing_support::ProgramTest {
 protected:
  BlockingFailures() {
    StartedBefore();
    Servers({"ads.example", "track.example"});
    WriteSettings("bBlockAdServers=True\r\nbHostsFullySet=True\r\nnTotHosts=2\r\n");
    dir.Write("etc/hosts", kOwn);
    programHooks.onTrouble = [this](const std::string& what) { told.push_back(what); };
  }

  // Blocking waits: the user's choice is kept and nothing claims servers blocked.
  void ExpectWaiting(frmMain& main) {
    EXPECT_TRUE(main.AdServers().Waiting());
    EXPECT_TRUE(main.Controls().chkAdServers.Ticked());
    EXPECT_EQ(main.Controls().lblTotHosts.Caption(), "0");
    main.Tray().RefreshTrayTip();
    EXPECT_EQ(tray.shown.szTip.substr(0, 9), "Quorlen. ");
    EXPECT_FALSE(Listening()) << "the web server is left running";
    main.Save();
    EXPECT_EQ(SettingsValue("bBlockAdServers"), "True");
  }

  // Blocking works: the lines are in, the web server listens, the count is the lists'.
  void ExpectBlocking(frmMain& main) {
    EXPECT_FALSE(main.AdServers().Waiting());
    EXPECT_TRUE(Listening());
    EXPECT_NE(dir.Read("etc/hosts").find("127.0.0.1 ads.example\n"), std::string::npos);
    EXPECT_EQ(main.Controls().lblTotHosts.Caption(), "2");
    EXPECT_TRUE(main.Controls().cmdAllow.Enabled());
  }

  const std::string kOwn = "127.0.0.1 localhost\n# printer\n192.168.1.9 printer\n";
  std::vector<std::string> told;
};

enum class Fault { kHelperGone, kPortTaken, kHostsRefused };

class BlockingFaults : public BlockingFailures, public ::testing::WithParamInterface<Fault> {
 protected:
  void SetFault(bool on) {
    const Fault fault = GetParam();
    if (fault == Fault::kHelperGone) privileged.reachable = !on;
    if (fault == Fault::kPortTaken) privileged.portFailure = on ? kPortInUse : "";
    if (fault == Fault::kHostsRefused)
      privileged.writeFailure = on ? "quorlen-helper: refused" : "";
  }
  std::string Told() const {
    const std::string cause[] = {
        "cannot answer the blocked ad servers: quorlen-helper does not answer on "
        "/run/quorlen-helper.sock: No such file or directory",
        std::string("cannot answer the blocked ad servers: ") + kPortInUse,
        "could not change the hosts file: quorlen-helper: refused"};
    return "Quorlen " + cause[static_cast<int>(GetParam())] + "\r\nAd servers are not blocked.";
  }
  static constexpr const char* kPortInUse = "quorlen-helper: port 80 is in use by nginx (pid 7)";
  // Long enough for the next try however often the helper refused before.
  static constexpr int kLongestWait = AdServerBlocker::kLongestRetryMs + AdServerBlocker::kProbeMs;
};

INSTANTIATE_TEST_SUITE_P(Faults, BlockingFaults,
                         ::testing::Values(Fault::kHelperGone, Fault::kPortTaken,
                                           Fault::kHostsRefused));

// Told where the user looks: the window is hidden to the tray.
TEST_P(BlockingFaults, BlockingThatCannotWorkAtStartWaitsAndComesBack) {
  const std::string what = Told() + std::string(kCrLf) + std::string(kBlockingWaits);
  SetFault(true);
  frmMain& main = Running();
  EXPECT_EQ(main.Controls().lblStatus.Caption().rfind(what, 0), 0u)
      << main.Controls().lblStatus.Caption();
  EXPECT_EQ(main.Controls().lblStatus.Caption().find(frmMain::kInitializing), std::string::npos);
  ASSERT_EQ(tray.messages.size(), 1u);
  EXPECT_EQ(tray.messages[0].title, kNotBlockedTitle);
  EXPECT_EQ(tray.messages[0].text, what);
  EXPECT_TRUE(tray.messages[0].warning);
  EXPECT_EQ(told, std::vector<std::string>{what});
  ExpectWaiting(main);
  EXPECT_EQ(dir.Read("etc/hosts"), kOwn);  // no line that nothing would answer
  clock.Advance(30000);                    // the tries go on unseen: the cause was told once
  EXPECT_EQ(tray.messages.size(), 1u);
  ExpectWaiting(main);

  SetFault(false);
  clock.Advance(kLongestWait);
  ExpectBlocking(main);
  ASSERT_EQ(tray.messages.size(), 2u);
  EXPECT_EQ(tray.messages[1].title, kBlockingBackTitle);
  EXPECT_FALSE(tray.messages[1].warning);
  EXPECT_TRUE(main.Controls().lblStatus.Caption().ends_with(kBlockingBack));
  if (GetParam() == Fault::kPortTaken) return;  // the port, once had, is kept

  // It goes again, and the next build (after the list editor's OK) waits as well.
  SetFault(true);
  main.AdServers().ReadLocalBanListAndUpdateHostsFile(true);
  ExpectWaiting(main);
  EXPECT_EQ(tray.messages.size(), 3u);
  SetFault(false);
  clock.Advance(kLongestWait);
  ExpectBlocking(main);
  EXPECT_EQ(tray.messages.size(), 4u);
}

// The lines go once the helper answers: no listed server stays sent to a machine that does
// not answer it.
TEST_F(BlockingFailures, SwitchedOffWhileTheHelperIsGoneTakesTheLinesOutWhenItReturns) {
  frmMain& main = Running();
  ExpectBlocking(main);
  privileged.reachable = false;
  main.Controls().chkAdServers.SetTicked(false);
  main.Save();
  EXPECT_EQ(SettingsValue("bBlockAdServers"), "False");
  EXPECT_NE(dir.Read("etc/hosts").find("ads.example"), std::string::npos);
  clock.Advance(10000);
  EXPECT_NE(dir.Read("etc/hosts").find("ads.example"), std::string::npos);
  privileged.reachable = true;
  clock.Advance(AdServerBlocker::kLongestRetryMs);
  EXPECT_EQ(dir.Read("etc/hosts").find("ads.example"), std::string::npos);
  EXPECT_NE(dir.Read("etc/hosts").find("192.168.1.9 printer"), std::string::npos);
  EXPECT_FALSE(main.AdServers().Waiting());
  EXPECT_FALSE(main.Controls().chkAdServers.Ticked());
}

// Without the HTTPS port the blocked names' HTTPS requests still fail, only uncounted.
TEST_F(BlockingFailures, HttpsPortThatCannotBeHadIsToldAndBlockingStays) {
  frmMain& main = Running();
  main.HttpsPortFailed("quorlen-helper: port 443 is in use by nginx (pid 7)");
  const std::string what =
      "Quorlen cannot answer the blocked ad servers over HTTPS: quorlen-helper: port 443 is in "
      "use by nginx (pid 7)\r\nTheir HTTPS requests still fail, but are not counted.";
  EXPECT_TRUE(main.Controls().lblStatus.Caption().ends_with(what))
      << main.Controls().lblStatus.Caption();
  EXPECT_EQ(told, std::vector<std::string>{what});
  EXPECT_TRUE(main.Controls().chkAdServers.Ticked());
  EXPECT_NE(dir.Read("etc/hosts").find("127.0.0.1 ads.example"), std::string::npos);
  EXPECT_TRUE(Listening());
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
