#include "hosts/protected_names.h"

#include <gtest/gtest.h>

namespace quorlen::hosts {
namespace {

TEST(ProtectedNames, FixedMachineAndLoopbackMappedNames) {
  const ProtectedNames names(
      "127.0.0.1\tlocalhost\r\n"
      "127.0.1.1   box.lan\tbox   # this machine\r\n"
      "::1 v6name ip6-localhost\n"
      "#127.0.1.1 commented\n"
      "127.0.1.10 neighbour\n"
      "10.0.0.7 nas\n"
      "  127.0.1.1 indented\n"
      "::1\n"
      "127.0.1.1",
      {"Devbox"});
  struct Case {
    const char* name;
    bool kept;
  } cases[] = {
      {"localhost", true},     {"LOCALHOST", true},     {"localhost.localdomain", true},
      {"local", true},         {"broadcasthost", true}, {"ip6-localhost", true},
      {"ip6-loopback", true},  {"devbox", true},        {"box.lan", true},
      {"box", true},           {"v6name", true},        {"indented", true},
      {"commented", false},    {"neighbour", false},    {"nas", false},
      {"localhost2", false},   {"loc", false},          {"#", false},
      {"this", false},         {"", false},             {"127.0.1.1", false},
  };
  for (const Case& c : cases) EXPECT_EQ(names.Contains(c.name), c.kept) << c.name;
}

}  // namespace
}  // namespace quorlen::hosts
