#include "tests/update/data_update_fixture.h"

namespace quorlen {
namespace {

using testing_support::DataUpdateTest;
using testing_support::ListFile;

class AutomaticCheck : public DataUpdateTest {
 protected:
  AutomaticCheck() {
    dir.Write("quorlenhosts.ini", ListFile({"a.example"}));
    Site("12/15/2002", "b.example\r\n[END]", "[END]");
    sDateUpdate = "12/15/2002";
  }
  // A new run of the program: a fresh updater that counts its start.
  void Restart() {
    profiles = ProfileStore();  // a new process reads the files afresh
    Make();
    updater->CountStart();
    nBlockedToday = 0;
  }
  // The web server counted `n` more blocked ads; returns how many date checks ran.
  int BlockAds(int n) {
    const int before = web.Requests(Url("zshared/updatedate.txt"));
    for (int i = 0; i < n; ++i) {
      ++nBlockedToday;
      updater->AfterBlockedAd();
    }
    return web.Requests(Url("zshared/updatedate.txt")) - before;
  }
};

TEST_F(AutomaticCheck, AtTheTenthAdOfEveryThirdStart) {
  struct Run {
    int start;
    int checksAtNine;
    int checksAtTen;
  };
  for (Run run :
       {Run{1, 0, 0}, Run{2, 0, 0}, Run{3, 0, 1}, Run{4, 0, 0}, Run{5, 0, 0}, Run{6, 0, 1}}) {
    SCOPED_TRACE("start " + std::to_string(run.start));
    Restart();
    EXPECT_EQ(updater->StartCount(), run.start);
    EXPECT_EQ(BlockAds(9), run.checksAtNine);
    EXPECT_EQ(BlockAds(1), run.checksAtTen);
    EXPECT_EQ(BlockAds(30), 0) << "at most one check per run";
  }
  EXPECT_EQ(lblStatus.Caption().rfind("Quorlen data is Current. ", 0), 0u);
}

TEST_F(AutomaticCheck, OnlyWithTheBoxTickedAndOncePerRunEvenAfterAReset) {
  for (int start = 1; start <= 3; ++start) Restart();
  bAutoDownload = false;
  EXPECT_EQ(BlockAds(10), 0);
  for (int start = 4; start <= 6; ++start) Restart();
  EXPECT_EQ(updater->StartCount(), 6);
  bAutoDownload = true;
  EXPECT_EQ(BlockAds(10), 1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "status page"), 1);
  nBlockedToday = 0;  // the counts were reset
  EXPECT_EQ(BlockAds(10), 0);
}

TEST_F(AutomaticCheck, TheStartCountSurvivesInTheSettingsFileBesideOtherSettings) {
  dir.Write("quorlen.ini", "[Settings]\r\nProxyName=http://p.example:8080\r\nnStartCount=41\r\n");
  Restart();
  EXPECT_EQ(updater->StartCount(), 42);
  EXPECT_EQ(dir.Read("quorlen.ini"),
            "[Settings]\r\nProxyName=http://p.example:8080\r\nnStartCount=42\r\n");
  dir.Write("quorlen.ini", "[Settings]\r\nnStartCount=junk\r\n");
  Restart();
  EXPECT_EQ(updater->StartCount(), 1);
}

}  // namespace
}  // namespace quorlen
