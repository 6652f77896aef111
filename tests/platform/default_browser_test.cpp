#include <gtest/gtest.h>

#include "platform/linux/linux_shell.h"

namespace quorlen {
namespace {

TEST(DefaultBrowser, TheFollowedFamilyInAnyLetterCase) {
  for (const char* entry :
       {"chromium.desktop\n", "Chromium-Browser.desktop\n", "google-chrome.desktop\n",
        "com.google.Chrome.desktop\n", "org.chromium.Chromium.desktop"}) {
    EXPECT_TRUE(IsTrackedBrowserEntry(entry)) << entry;
  }
  for (const char* entry : {"firefox-esr.desktop\n", "org.gnome.Epiphany.desktop\n", ""}) {
    EXPECT_FALSE(IsTrackedBrowserEntry(entry)) << entry;
  }
}

}  // namespace
}  // namespace quorlen
