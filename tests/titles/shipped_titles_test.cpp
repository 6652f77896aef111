#include <gtest/gtest.h>

#include <fstream>

#include "core/text.h"
#include "tests/titles/titles_fixture.h"
#include "titles/popup_titles.h"

namespace quorlen {
namespace {

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

class ShippedTitlesTest : public testing_support::TitleListsTest {
 protected:
  ShippedTitlesTest() {
    WriteDefaultList(shipped);
    titles.LoadPopupTitles();
  }

  std::vector<std::string> shipped = Lines(QUORLEN_TEST_DATA "/../../data/qltitles.txt");
  PopupTitles titles{profiles, dialogs, userList, defaultList, [](const std::string&) {}};
};

TEST_F(ShippedTitlesTest, FragmentsAreLongAndDistinct) {
  ASSERT_GE(shipped.size(), 20u);
  std::vector<std::string> seen;
  for (const auto& fragment : shipped) {
    SCOPED_TRACE(fragment);
    EXPECT_GE(fragment.size(), 10u);
    EXPECT_EQ(Trim(fragment), fragment);
    std::string lowered = LowerCase(fragment);
    for (const auto& other : seen) {
      EXPECT_EQ(lowered.find(other), std::string::npos) << "already covered by '" << other << "'";
    }
    seen.push_back(lowered);
  }
}

TEST_F(ShippedTitlesTest, OrdinaryWindowsStayOpen) {
  auto ordinary = Lines(QUORLEN_TEST_DATA "/ordinary-titles.txt");
  ASSERT_GE(ordinary.size(), 50u);
  for (const auto& title : ordinary) {
    auto match = titles.MatchPopupTitle(title);
    EXPECT_FALSE(match.matched) << "'" << title << "' would be closed by '" << match.fragment
                                << "'";
  }
}

TEST_F(ShippedTitlesTest, ScamPagesAreClosed) {
  const char* scams[] = {
      "Congratulations! You have been chosen - Chromium",
      "Dear Chrome User, you are our lucky visitor! - Google Chrome",
      "Your computer is infected with 5 viruses! - Mozilla Firefox",
      "Windows Defender - Security Warning - Call 1-800 - Chromium",
      "Click Allow to confirm that you are not a robot - Chromium",
      "Elon's BITCOIN GIVEAWAY - Chromium",
  };
  for (const char* title : scams) EXPECT_TRUE(titles.MatchPopupTitle(title).matched) << title;
}

}  // namespace
}  // namespace quorlen
