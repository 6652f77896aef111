#include "hosts/ad_server_blocker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/list_and_text_files.h"
#include "core/profile_file.h"
#include "core/text.h"
#include "platform/fake/fake_privileges.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/virtual_clock.h"
#include "tests/support/list_file_text.h"
#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing_support::ListFile;
using testing_support::TempFolder;

// The blocker alone, over a program folder and a hosts file in a temporary folder.
class HostsBlocking : public ::testing::Test {
 protected:
  HostsBlocking() {
    std::filesystem::create_directories(dir.File("program"));
    std::filesystem::create_directories(dir.File("etc"));
  }
  AdServerBlocker& Run(const std::string& hosts) {
    dir.Write("etc/hosts", hosts);
    profiles = std::make_unique<ProfileStore>();  // sees list files just rewritten
    blocker = std::make_unique<AdServerBlocker>(
        clock, dialogs, *profiles, hostsFiles,
        AdServerControls{lblStatus, lblTotHosts, lbltype, ProgressBar1, cmdAllow, cmdAddSites,
                         mnuTrayAllow, chkAdServers},
        AdServerFiles{hostsFile, defaultList, userList, exclusionsList},
        AdServerState{bHostsFullySet, bBlockAdServers, nTotHosts, nDefaultCount, nUserCount},
        AdServerHooks{[this] { return loading; },
                      [this](const std::string& m) { log.push_back(m); }, [this] { ++saves; },
                      [this](std::int32_t n) { statsServers = n; },
                      [this] {
                        ++starts;
                        if (portTaken) blocker->StopWebServer();  // as the failed listen does
                      },
                      [this] { ++stops; }, [this] { return machineNames; },
                      [this](const std::string& what) {
                        failures.push_back(what);
                        bBlockAdServers = false;
                      },
                      [this](const std::string& what) { troubles.push_back(what); },
                      [this] { ++releases; }, [this] { return keptHosts; },
                      [this](std::shared_ptr<const HostNameSet> names) {
                        told.push_back(std::move(names));
                      }});
    chkAdServers.onClick = [this] { blocker->chkAdServers_Click(); };
    // As the settings load does: the box shows the option while nothing may react.
    loading = true;
    chkAdServers.SetTicked(bBlockAdServers);
    blocker->LoadExclusions();
    loading = false;
    return *blocker;
  }
  std::string Hosts() { return dir.Read("etc/hosts"); }
  // The default list, and the user's and the allowed list where given.
  void Lists(const std::vector<std::string>& defaults, const std::vector<std::string>& user = {},
             const std::vector<std::string>& allowed = {}) {
    dir.Write("program/quorlenhosts.ini", ListFile(defaults));
    if (!user.empty()) dir.Write("program/userhosts.ini", ListFile(user));
    if (!allowed.empty()) dir.Write("program/quorlenhostsexc.ini", ListFile(allowed));
  }

  TempFolder dir;
  VirtualClock clock;
  ScriptedDialogs dialogs;
  std::unique_ptr<ProfileStore> profiles;
  Label lblStatus, lblTotHosts, lbltype;
  ProgressBar ProgressBar1;
  Button cmdAllow, cmdAddSites;
  MenuItem mnuTrayAllow;
  CheckBox chkAdServers;
  const std::string hostsFile = dir.File("etc/hosts");
  FakePrivileges privileged{hostsFile};
  HostsFiles hostsFiles{privileged, hostsFile};
  const std::string defaultList = dir.File("program/quorlenhosts.ini");
  const std::string userList = dir.File("program/userhosts.ini");
  const std::string exclusionsList = dir.File("program/quorlenhostsexc.ini");
  bool bHostsFullySet = false, bBlockAdServers = true, loading = false;
  std::int32_t nTotHosts = 0, statsServers = -1;
  std::int16_t nDefaultCount = 0, nUserCount = 0;
  std::vector<std::string> log, failures, troubles;
  std::vector<std::string> machineNames, keptHosts;
  int saves = 0, starts = 0, stops = 0, releases = 0;
  bool portTaken = false;
  std::vector<std::shared_ptr<const HostNameSet>> told;  // the browsers' servers, in turn
  std::unique_ptr<AdServerBlocker> blocker;
};

const std::string kOwnHosts = "127.0.0.1 localhost\n\n# printer\n192.168.1.9 printer\n";

TEST_F(HostsBlocking, BuildWritesListedServersFirstAndReports) {
  Lists({"ads.example", " banner.example ", ""}, {"mine.example"}, {"banner.example"});
  Run(kOwnHosts).ReadLocalBanListAndUpdateHostsFile(true);
  EXPECT_EQ(Hosts(),
            "127.0.0.1 ads.example\n127.0.0.1 mine.example\n127.0.0.1 localhost\n# printer\n"
            "192.168.1.9 printer\n\n");
  EXPECT_EQ(lblStatus.Caption(),
            "Data for 3 blocked ad servers and 1 allowed ad servers was configured:\r\n"
            "- ads.example\n- mine.example\n\r\n\r\n"
            "You should restart your computer if you want these changes to take effect.");
  // The count, its caption, the statistics, the build marked complete and saved.
  EXPECT_EQ(std::tuple(nTotHosts, lblTotHosts.Caption(), statsServers, bHostsFullySet, saves),
            std::tuple(4, "4", 4, true, 1));
  EXPECT_FALSE(ProgressBar1.Visible() || dialogs.WaitCursor()) << "the busy signs are gone";
}

TEST_F(HostsBlocking, SwitchingOffTakesOutOnlyTheWrittenLines) {
  Lists({"ads.example", "tracker.example"});
  Run(kOwnHosts + "127.0.0.1 tracker.example\n127.0.0.1 ads.example  # my own\n");
  chkAdServers.SetTicked(true);  // already ticked: nothing runs
  blocker->ReadLocalBanListAndUpdateHostsFile(false);
  chkAdServers.Click();
  EXPECT_EQ(std::tuple(bBlockAdServers, stops, bHostsFullySet), std::tuple(false, 1, false));
  // The user's own line made ads.example present, so it was never written; the user's
  // "127.0.0.1 tracker.example" has the written form of a listed server and goes.
  EXPECT_EQ(Hosts(),
            "127.0.0.1 localhost\n# printer\n192.168.1.9 printer\n127.0.0.1 ads.example  # my own\n"
            "\n\n");
  EXPECT_EQ(lblStatus.Caption().rfind(
                "PLEASE RESTART YOUR COMPUTER FOR THESE CHANGES TO TAKE EFFECT. \r\n\r\n"
                "Quorlen will no longer prevent",
                0),
            0u);
  EXPECT_EQ(std::tuple(cmdAllow.Enabled(), mnuTrayAllow.Enabled(), nDefaultCount),
            std::tuple(false, false, 0));
}

TEST_F(HostsBlocking, SwitchingOnBuildsAndStartsTheWebServer) {
  Lists({"ads.example"});
  bBlockAdServers = false;
  Run("127.0.0.1 localhost\r\n");
  chkAdServers.Click();
  EXPECT_EQ(std::tuple(bBlockAdServers, starts, cmdAddSites.Enabled()), std::tuple(true, 1, true));
  EXPECT_EQ(Hosts(), "127.0.0.1 ads.example\r\n127.0.0.1 localhost\r\n\r\n");
  EXPECT_EQ(lblStatus.Caption().rfind(
                "PLEASE RESTART YOUR COMPUTER FOR THESE CHANGES TO TAKE EFFECT. \r\n\r\n"
                "Quorlen will now block the known active ad servers from loading ads in your "
                "browser.  This stops banner ads as well as the x10 ads etc.\r\n\r\nIf you",
                0),
            0u);
  EXPECT_TRUE(lblStatus.Caption().ends_with(kEverydayBrowsersAsk));
}

TEST_F(HostsBlocking, BrowsersAreToldTheServersBlockedWhileTheWebServerRuns) {
  // Allowed in another letter case, mine.example keeps its line and stays blocked.
  Lists({"Ads.example", "banner.example", "localhost", "bad\tname", "both.example"},
        {"mine.example", "both.example"}, {"banner.example", "MINE.example"});
  Run(kOwnHosts).ReadLocalBanListAndUpdateHostsFile(false);
  EXPECT_TRUE(told.empty()) << "no web server answers yet";
  blocker->StartWebServers();
  ASSERT_EQ(told.size(), 1u);
  ASSERT_TRUE(told[0]);
  EXPECT_EQ(told[0]->Text(), "ads.example\nboth.example\nmine.example\n");
  EXPECT_TRUE(told[0]->Contains("ADS.Example"));
  EXPECT_FALSE(told[0]->Contains("s.example"));
  EXPECT_FALSE(told[0]->Contains("ads.example.com"));

  Lists({"Ads.example", "banner.example", "localhost", "bad\tname", "both.example"},
        {"mine.example", "new.example"});
  blocker->ReadLocalBanListAndUpdateHostsFile(false);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[1]->Text(), "ads.example\nboth.example\nmine.example\nnew.example\n");

  chkAdServers.Click();  // off: the lines go, then the web server
  ASSERT_EQ(told.size(), 4u);
  ASSERT_TRUE(told[2]);
  EXPECT_TRUE(told[2]->empty());
  EXPECT_FALSE(told[3]);

  // A web server that cannot listen stops at once: the browsers answer nothing.
  portTaken = true;
  blocker->StartWebServers();
  EXPECT_FALSE(told.back());
}

TEST_F(HostsBlocking, ExitWithoutShortcutPutsTheUsersFileBack) {
  Lists({"ads.example"});
  dir.Write("etc/hostsqlb", kOwnHosts);
  Run(kOwnHosts).ReadLocalBanListAndUpdateHostsFile(true);
  const std::string blocking = Hosts();
  blocker->RestoreHostsAtExit();
  EXPECT_EQ(std::tuple(Hosts(), dir.Read("etc/hostsqlf"), bHostsFullySet),
            std::tuple(kOwnHosts, blocking, false));
  EXPECT_GE(clock.TotalSleptMs(), 400);

  // A line added since is the user's: the helper refuses the roll-back, the servers go instead.
  bHostsFullySet = true;
  dir.Write("etc/hosts", blocking + "10.9.9.9 new.home\n");
  privileged.refuse = [](std::string_view text) {
    return text == kOwnHosts ? "line 6 of the hosts file would be lost" : "";
  };
  blocker->RestoreHostsAtExit();
  EXPECT_EQ(Hosts().find("ads.example"), std::string::npos) << Hosts();
  EXPECT_NE(Hosts().find("192.168.1.9 printer\n"), std::string::npos) << Hosts();
  EXPECT_NE(Hosts().find("10.9.9.9 new.home\n"), std::string::npos) << Hosts();
  EXPECT_FALSE(bHostsFullySet);
  EXPECT_TRUE(troubles.empty());
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

// A count beyond 16 bits fails its conversion and the old count stays (none on a first build).
TEST_F(HostsBlocking, CountBeyondSixteenBitsKeepsTheOldCount) {
  std::string list = ListFile({"a.example", "b.example"});
  list.replace(list.find("N=2"), 3, "N=40000");
  dir.Write("program/quorlenhosts.ini", list);
  nDefaultCount = 1;
  Run("own\n").ReadLocalBanListAndUpdateHostsFile(true);
  EXPECT_EQ(std::tuple(nDefaultCount, nTotHosts), std::tuple(1, 40000));
  EXPECT_EQ(Hosts(), "127.0.0.1 a.example\nown\n\n");
}

TEST_F(HostsBlocking, FullDefaultListOverARealSizedFile) {
  std::ifstream in(std::string(QUORLEN_TEST_DATA) + "/../../data/adservers-default.txt");
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);) names.push_back(line);
  ASSERT_EQ(names.size(), 32767u);
  Lists(names);
  Run(kOwnHosts).ReadLocalBanListAndUpdateHostsFile(true);
  const std::string hosts = Hosts();
  EXPECT_EQ(std::count(hosts.begin(), hosts.end(), '\n'), 32767 + 3 + 1);
  // Every 50th default entry lets the interface run.
  EXPECT_GE(clock.DoEventsCalls(), 32767 / 50);
}

// No list stays in memory: builds read the lists anew, builds and removals give memory back.
TEST_F(HostsBlocking, ListsAreReadAnewAndMemoryGivenBack) {
  Lists({"first.example"});
  Run("own\n").ReadLocalBanListAndUpdateHostsFile(false);
  EXPECT_EQ(releases, 1);
  Lists({"second.example"});
  blocker->ReadLocalBanListAndUpdateHostsFile(false);
  EXPECT_NE(Hosts().find("127.0.0.1 second.example\n"), std::string::npos);
  blocker->RemoveBlockedServers();
  EXPECT_EQ(releases, 3);
}

// The machine's own names (protected_names_test.cpp), the user's lines and what they map
// survive every build and removal in any letter case; no list blocks the hosts Quorlen and
// the system's updates must reach, whatever a hostile server put into it.
TEST_F(HostsBlocking, ProtectedNamesAreNeverBlockedAllowedOrTakenOut) {
  // The lists are written with commas between their entries.
  struct Case {
    const char* name;
    const char* hosts;
    const char *defaults, *user, *allowed, *machine;
    const char* survive;     // the user's lines, there once after every step
    const char* blocked;     // written by the build, gone after the removal
    const char* skipped;     // entries told to the log, never written
    const char* saved = "";  // the user's own file from before blocking
    const char* kept = "";   // the hosts of the site and the package sources
  } cases[] = {
      {"fixed names in any letter case",
       "127.0.0.1 localhost.localdomain\n127.0.0.1 broadcasthost\n", "",
       "LocalHost.LocalDomain,BROADCASTHOST,local,ip6-loopback,ip6-localhost", "broadcasthost", "",
       "127.0.0.1 localhost.localdomain,127.0.0.1 broadcasthost", "",
       "LocalHost.LocalDomain,BROADCASTHOST,local,ip6-loopback,ip6-localhost"},
      {"the machine's host name", "127.0.0.1 devbox\n", "devbox,ads.example", "", "DevBox",
       "devbox", "127.0.0.1 devbox", "ads.example", "devbox,DevBox"},
      {"names the file gives 127.0.1.1 and ::1",
       "127.0.1.1 box.lan box # this machine\n::1 v6box\n127.0.0.1 box\n127.0.0.1 v6box\n",
       "box,box.lan", "v6box", "box", "", "127.0.0.1 box,127.0.0.1 v6box", "", "box,box.lan,v6box"},
      {"names the user's own lines map elsewhere",
       "10.0.0.5 intranet.example\n0.0.0.0 Tracker.Example # mine\n",
       "intranet.example,tracker.example,ads.example", "", "", "",
       "10.0.0.5 intranet.example,0.0.0.0 Tracker.Example # mine", "ads.example",
       "intranet.example,tracker.example"},
      {"the user's own lines, the site and the package sources",
       "10.0.0.5 intranet.example\n127.0.0.1 printer.lan\n",
       "Intranet.example,printer.lan,deb.debian.org,www.quorlen.example,ads.example",
       "intranet.example,printer.lan,mine.example", "", "",
       "10.0.0.5 intranet.example,127.0.0.1 printer.lan", "ads.example,mine.example",
       "Intranet.example,intranet.example,printer.lan,deb.debian.org,www.quorlen.example",
       "127.0.0.1 printer.lan\n", "deb.debian.org,WWW.quorlen.example"},
      {"the site's hosts in the user's own list are the user's choice", "own\n", "",
       "deb.debian.org", "", "", "own", "deb.debian.org", "", "", "deb.debian.org"},
  };
  auto split = [](const std::string& list) {
    std::vector<std::string> names;
    std::istringstream in(list);
    for (std::string name; std::getline(in, name, ',');) names.push_back(name);
    return names;
  };
  auto count = [](const std::string& text, const std::string& line) {
    int n = 0;
    for (size_t at = 0; (at = text.find(line + "\n", at)) != std::string::npos; ++at) {
      if (at == 0 || text[at - 1] == '\n') ++n;
    }
    return n;
  };
  for (const Case& c : cases) {
    for (const bool atExit : {false, true}) {
      if (atExit && *c.saved) continue;  // the saved file would simply come back
      const std::string how = std::string(c.name) + (atExit ? ", removed at exit" : ", unticked");
      dir.Write("program/quorlenhosts.ini", ListFile(split(c.defaults)));
      dir.Write("program/userhosts.ini", ListFile(split(c.user)));
      dir.Write("program/quorlenhostsexc.ini", ListFile(split(c.allowed)));
      std::filesystem::remove(dir.File("etc/hostsqlb"));
      if (*c.saved) dir.Write("etc/hostsqlb", c.saved);
      machineNames = split(c.machine);
      keptHosts = split(c.kept);
      bBlockAdServers = true;
      log.clear();
      Run(c.hosts);
      blocker->StartWebServers();
      blocker->ReadLocalBanListAndUpdateHostsFile(true);
      const std::string built = Hosts();
      // The servers the browsers answer themselves are the ones written, never a skipped one.
      ASSERT_FALSE(told.empty() || !told.back()) << how;
      const HostNameSet& answered = *told.back();
      if (atExit) {
        blocker->RestoreHostsAtExit();  // no backup: the lines are taken out
      } else {
        chkAdServers.Click();
      }
      const std::string removed = Hosts();
      for (const std::string& line : split(c.survive)) {
        EXPECT_EQ(count(built, line), 1) << how << ": built, " << line;
        EXPECT_EQ(count(removed, line), 1) << how << ": removed, " << line;
      }
      for (const std::string& name : split(c.blocked)) {
        EXPECT_EQ(count(built, "127.0.0.1 " + name), 1) << how << ": built, " << name;
        EXPECT_TRUE(answered.Contains(name)) << how << ": not answered, " << name;
        EXPECT_EQ(count(removed, "127.0.0.1 " + name), 0) << how << ": removed, " << name;
      }
      for (const std::string& name : split(c.skipped)) {
        EXPECT_NE(
            std::find_if(log.begin(), log.end(),
                         [&](const std::string& m) { return m.ends_with(": '" + name + "'"); }),
            log.end())
            << how << ": not logged, " << name;
        EXPECT_EQ(count(built, "127.0.0.1 " + name), count(c.hosts, "127.0.0.1 " + name))
            << how << ": written, " << name;
        EXPECT_FALSE(answered.Contains(name)) << how << ": answered, " << name;
      }
    }
  }
}

// A hosts file that cannot be written is told with its reason: a build then claims no
// blocking nor starts the web server; a removal or the exit says the servers stay listed.
TEST_F(HostsBlocking, HostsFileThatCannotBeWrittenIsToldAndClaimsNothing) {
  Lists({"ads.example", "track.example"});
  const std::string cannot = "Quorlen could not change the hosts file: No space left on device";
  for (const bool byTheBox : {false, true}) {
    SCOPED_TRACE(byTheBox ? "the user ticks the box" : "the start-up build");
    bBlockAdServers = !byTheBox;
    starts = 0;
    Run(kOwnHosts);
    privileged.writeFailure = "No space left on device";
    lblStatus.SetCaption("");
    if (byTheBox) {
      chkAdServers.SetTicked(true);
    } else {
      blocker->ReadLocalBanListAndUpdateHostsFile(true);
    }
    EXPECT_EQ(failures, std::vector<std::string>{cannot + "\r\nAd servers are not blocked."});
    for (const char* claim : {"Data for", "configured your system", "will now block"})
      EXPECT_EQ(lblStatus.Caption().find(claim), std::string::npos) << claim;
    EXPECT_EQ(std::tuple(bHostsFullySet, starts, Hosts(), ProgressBar1.Visible()),
              std::tuple(false, 0, kOwnHosts, false));
    privileged.writeFailure.clear();
    failures.clear();
  }

  bBlockAdServers = true;
  dir.Write("etc/hostsqlb", kOwnHosts);
  Run(kOwnHosts).ReadLocalBanListAndUpdateHostsFile(true);
  const std::string blocking = Hosts();
  privileged.writeFailure = "No space left on device";
  const std::string stay = cannot + "\r\nThe listed ad servers are still in the hosts file.";
  chkAdServers.SetTicked(false);
  EXPECT_EQ(Hosts(), blocking);
  EXPECT_TRUE(lblStatus.Caption().ends_with(stay)) << "told after the box's own text";
  troubles.clear();
  blocker->RestoreHostsAtExit();
  EXPECT_EQ(Hosts(), blocking);
  EXPECT_EQ(troubles, (std::vector<std::string>{cannot, stay}));
  EXPECT_TRUE(failures.empty()) << "leaving blocking on is no failure of blocking";
}

// One pass over a list reads what the profile engine reads key by key, on real names and
// on files damaged every way the engine has rules for.
TEST(ListFileRead, ReadsWhatKeyByKeyReadingReads) {
  using namespace std::string_literals;
  std::vector<std::string> names;
  for (const char* file : {"/blocklist-sample.txt", "/tricky-lines.txt"}) {
    std::ifstream in(QUORLEN_TEST_DATA + std::string(file), std::ios::binary);
    for (std::string line; std::getline(in, line);) names.push_back(line);
  }
  ASSERT_GT(names.size(), 600u);
  const std::string clean = ListFile(names);
  const std::string damages[] = {
      clean,
      "\xEF\xBB\xBF" + clean,
      clean + "D3=later duplicate\r\nd4=lower-case duplicate\r\n",
      "[domains]\r\nD0=a section before the count\r\n" + clean,
      clean + "[Domains]\r\nD5=a second section of the name\r\n",
      "[DomainCount]\r\nN=40\r\n[Domains]\r\nD01=leading zero\r\nD+2=sign\r\n D3 =padded\r\n"
      "D4=\"quoted\"\r\nD5= 'blanks' \r\nD6=" +
          std::string(300, 'x') +
          "\r\nD7=a\0b\r\n"
          ";D8=comment\r\nD9\r\n[Open\r\nD10=after an open header\r\n[Domains]\r\nD11=x\r\n"s,
      "[DomainCount]\nN=3\n[Domains]\nD0=lf only\nD1=\tcr inside\r\nD2=last without end",
      "[Domains]\r\nD0=no count\r\n",
      "",
  };
  for (const std::string& text : damages) {
    SCOPED_TRACE(text.substr(0, 120));
    ProfileFile engine(text);
    const std::int16_t count = ToInt16(engine.GetString("DomainCount", "N", "", 250)).value_or(0);
    EXPECT_EQ(ListFileCount(text), count);
    for (std::int16_t asked : {count, static_cast<std::int16_t>(count + 5), std::int16_t{12}}) {
      const std::vector<std::string> entries = ListFileEntries(text, asked);
      ASSERT_EQ(entries.size(), static_cast<size_t>(asked));
      for (int i = 0; i < asked; ++i) {
        EXPECT_EQ(entries[static_cast<size_t>(i)],
                  Trim(engine.GetString("Domains", "D" + std::to_string(i), "", 250)))
            << "D" << i;
      }
    }
  }
}

}  // namespace
}  // namespace quorlen
