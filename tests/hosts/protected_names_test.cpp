#include "hosts/protected_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/temp_folder.h"

namespace quorlen::hosts {
namespace {

TEST(ProtectedNames, FixedMachineLoopbackAndOwnMappedNames) {
  const std::string text =
      "127.0.0.1\tlocalhost\r\n"
      "127.0.1.1   box.lan\tbox   # this machine\r\n"
      "::1 v6name ip6-localhost\n"
      "#127.0.1.1 commented\n"
      "127.0.1.10 neighbour\n"
      "10.0.0.7 nas\n"
      "  127.0.1.1 indented\n"
      "127.0.0.1 blocked.example\r\n"
      "127.0.0.1 two.example three.example\n"
      "0.0.0.0 Tracker.Example # mine\n"
      "::1\n"
      "127.0.1.1";
  const ProtectedNames names(text, {"Devbox"});
  const FoldedNames mapped = NamesOfOwnLines(text);
  // Kept: never blocked, allowed or taken out. Mapped: never newly blocked.
  auto expect = [&](bool kept, bool isMapped, std::initializer_list<const char*> list) {
    for (const char* name : list) {
      EXPECT_EQ(names.Contains(name), kept) << name;
      EXPECT_EQ(mapped.contains(name), isMapped) << name;
    }
  };
  expect(true, true,
         {"localhost", "LOCALHOST", "ip6-localhost", "box.lan", "box", "v6name", "indented"});
  expect(true, false,
         {"localhost.localdomain", "local", "broadcasthost", "ip6-loopback", "devbox"});
  expect(false, true,
         {"neighbour", "nas", "NAS", "two.example", "three.example", "tracker.example"});
  expect(
      false, false,
      {"commented", "blocked.example", "localhost2", "loc", "#", "this", "mine", "", "127.0.1.1"});
}

// The user's own lines are every line but blank lines, comments and the blocking form
// "127.0.0.1 <name>"; in the saved file every line is the user's.
TEST(OwnLines, NamesTheUsersLinesMapAndBlock) {
  const NameSet mapped = OwnMappedNames(
      "127.0.0.1 ads.example\n10.0.0.5 intranet.example intranet # office\n"
      "127.0.0.1\ttab.example\n127.0.0.1 two.example names.example\n"
      "# 10.0.0.9 commented.example\n0.0.0.0 zero.example\r\n127.0.0.1 trailing.example \n",
      "127.0.0.1 printer.lan\r\n192.168.1.9 nas.lan\n");
  const NameSet blocked = OwnBlockedNames("127.0.0.1 printer.lan\r\n192.168.1.9 nas.lan\n");
  auto expect = [&](bool isMapped, bool isBlocked, std::initializer_list<const char*> list) {
    for (const char* name : list) {
      EXPECT_EQ(mapped.Contains(name), isMapped) << name;
      EXPECT_EQ(blocked.Contains(name), isBlocked) << name;
    }
  };
  expect(true, true, {"Printer.LAN"});
  expect(true, false,
         {"intranet.example", "INTRANET", "tab.example", "names.example", "zero.example",
          "trailing.example", "nas.lan"});
  expect(false, false, {"ads.example", "office", "commented.example", "127.0.0.1"});
}

TEST(PackageSources, HostsOfBothFormats) {
  testing_support::TempFolder apt;
  std::filesystem::create_directories(apt.File("sources.list.d"));
  apt.Write("sources.list",
            "deb http://deb.debian.org/debian bookworm main\n"
            "# deb http://commented.example/debian bookworm main\n"
            "deb-src [ arch=amd64 signed-by=/usr/share/keyrings/x.gpg ] "
            "https://user:pw@Src.Example.org:8443/debian bookworm main\n"
            "deb cdrom:[Debian 12]/ bookworm main\ndeb file:/srv/mirror ./\n"
            "deb http://[2001:db8::2]:80/debian bookworm main\n");
  apt.Write("sources.list.d/extra.list",
            "deb [trusted=yes] mirror+http://mirrors.example/list x\n");
  apt.Write("sources.list.d/debian.sources",
            "Types: deb\n# URIs: http://commented.example/\nURIs: http://deb.debian.org/debian\n"
            "  https://security.debian.org/debian-security\nSuites: bookworm\n\n"
            "types: deb\nuris: http://[2001:db8::1]/debian tor+http://onion.example/\n");
  apt.Write("sources.list.d/old.list.disabled", "deb http://disabled.example/ x main\n");
  std::vector<std::string> hosts = PackageSourceHosts(apt.Path());
  std::sort(hosts.begin(), hosts.end());
  EXPECT_EQ(hosts, (std::vector<std::string>{"2001:db8::1", "2001:db8::2", "deb.debian.org",
                                             "deb.debian.org", "mirrors.example", "onion.example",
                                             "security.debian.org", "src.example.org"}));
  EXPECT_TRUE(PackageSourceHosts(apt.File("missing")).empty());
}

}  // namespace
}  // namespace quorlen::hosts
