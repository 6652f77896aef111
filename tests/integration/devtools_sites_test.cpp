#include <gtest/gtest.h>

#include "platform/qt/devtools_connection.h"

namespace quorlen {
namespace {

// The browser holds requests by site: every blocked server must fall under one, and a
// site must not be so short that every request of a country or of the web waits.
TEST(DevToolsSites, EachBlockedServerFallsUnderItsSite) {
  const std::vector<std::string_view> names{
      "ads.example.com",       "a.b.example.com",     "example.com",
      "tracker.example.co.uk", "localhost",           "x.y.ab.de",
      "bad*name.net",          "cdn.ads.example.com", "www.shop.de"};
  EXPECT_EQ(SitesOfServers(HostNameSet(names)),
            (std::vector<std::string>{"example.co.uk", "example.com", "localhost", "shop.de",
                                      "y.ab.de"}));
  EXPECT_TRUE(SitesOfServers(HostNameSet()).empty());
}

}  // namespace
}  // namespace quorlen
