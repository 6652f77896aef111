#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

class Accounting : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    WriteSettings("nTotBlocked=100\r\n");
    Running();
  }
};

TEST_F(Accounting, SomeCountsSwitchToTheAllowPage) {
  std::vector<int> switched;
  for (int n = 1; n <= 100; ++n) {
    program->Controls().A.SetCurrentPage(settings_page::kStatus);
    program->AddBlockedAd(false);
    if (program->Controls().A.CurrentPage() == settings_page::kAllowAds) switched.push_back(n);
  }
  EXPECT_EQ(switched, (std::vector<int>{10, 25, 50, 75, 100}));
  program->Controls().mnuTrayStats.Click();
  EXPECT_TRUE(program->Stats().window.Visible() && program->Stats().window.TopMost());
  EXPECT_EQ(program->Stats().window.Caption(), "Ads 100 : 200");
  EXPECT_EQ(program->Stats().lblTotBlocked.Caption(), "200");
}

TEST_F(Accounting, ResetShowsZeroAndStoresOne) {
  program->AddBlockedAd(true);
  program->Controls().A.SetCurrentPage(settings_page::kAllowAds);
  program->Controls().mnuSettingsReset.Click();
  EXPECT_EQ(program->Controls().A.CurrentPage(), settings_page::kStatus);
  EXPECT_EQ(program->Controls().lbltot.Caption(), "0");
  EXPECT_EQ(program->Controls().lblTotBlocked.Caption(), "0");
  EXPECT_EQ(program->Stats().window.Caption(), "Ads 0 : 0");
  EXPECT_EQ(SettingsValue("nTotBlocked"), "1");
  program->AddBlockedAd(false);
  EXPECT_EQ(program->Controls().lblTotBlocked.Caption(), "2");
  // Counts stop at the largest number.
  program->Options().nTotBlocked = 2147483647;
  program->AddBlockedAd(false);
  EXPECT_EQ(program->Options().nTotBlocked, 2147483647);
  EXPECT_EQ(program->Options().nBlockedToday, 2);  // since the reset
}

}  // namespace
}  // namespace quorlen
