#include <gtest/gtest.h>

#include "platform/linux/linux_shell.h"

namespace quorlen {
namespace {

TEST(DefaultBrowser, TheFollowedFamilyInAnyLetterCase) {
  struct Case {
    const char* entry;
    bool tracked;
  } cases[] = {
      {"chromium.desktop\n", true},
      {"Chromium-Browser.desktop\n", true},
      {"google-chrome.desktop\n", true},
      {"com.google.Chrome.desktop\n", true},
      {"org.chromium.Chromium.desktop", true},
      {"firefox-esr.desktop\n", false},
      {"org.gnome.Epiphany.desktop\n", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsTrackedBrowserEntry(c.entry), c.tracked) << c.entry;
}

}  // namespace
}  // namespace quorlen
