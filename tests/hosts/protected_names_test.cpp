#include "hosts/protected_names.h"

#include <gtest/gtest.h>

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
  struct Case {
    const char* name;
    bool kept;    // never blocked, allowed or taken out
    bool mapped;  // never newly blocked
  } cases[] = {
      {"localhost", true, true},
      {"LOCALHOST", true, true},
      {"localhost.localdomain", true, false},
      {"local", true, false},
      {"broadcasthost", true, false},
      {"ip6-localhost", true, true},
      {"ip6-loopback", true, false},
      {"devbox", true, false},
      {"box.lan", true, true},
      {"box", true, true},
      {"v6name", true, true},
      {"indented", true, true},
      {"commented", false, false},
      {"neighbour", false, true},
      {"nas", false, true},
      {"NAS", false, true},
      {"blocked.example", false, false},
      {"two.example", false, true},
      {"three.example", false, true},
      {"tracker.example", false, true},
      {"localhost2", false, false},
      {"loc", false, false},
      {"#", false, false},
      {"this", false, false},
      {"mine", false, false},
      {"", false, false},
      {"127.0.1.1", false, false},
  };
  const FoldedNames mapped = NamesOfOwnLines(text);
  for (const Case& c : cases) {
    EXPECT_EQ(names.Contains(c.name), c.kept) << c.name;
    EXPECT_EQ(mapped.contains(c.name), c.mapped) << c.name;
  }
}

}  // namespace
}  // namespace quorlen::hosts
