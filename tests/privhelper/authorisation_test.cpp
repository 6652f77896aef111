#include "privhelper/authorisation.h"

#include <gtest/gtest.h>

namespace quorlen::helper {
namespace {

TEST(Authorise, OnlyTheUserAtTheMachineAndTheHelpersOwn) {
  const LocalSessions seats{true,
                            {{"seat0", "2", 1000, false, "user"},
                             {"seat1", "c1", 115, false, "greeter"},
                             {"seat2", "9", 1003, true, "user"}}};
  const LocalSessions noLogind{false, {}};
  const LocalSessions nobodyActive{true, {}};
  const AccessRule root{0, {}, {}};
  const AccessRule named{0, 1001, "desk"};
  struct Row {
    const char* name;
    AccessRule rule;
    LocalSessions sessions;
    uid_t peer;
    bool allowed;
    std::string reasonHas;
  };
  const std::vector<Row> rows = {
      {"the user of the active session", root, seats, 1000, true, "session 2 on seat0"},
      {"the helper's own user", root, noLogind, 0, true, "own"},
      {"another user", root, seats, 65534, false,
       "uid 65534 is not (the active session is uid 1000 on seat0)"},
      {"the login screen's user", root, seats, 115, false, "uid 115 is not"},
      {"a remote session's user", root, seats, 1003, false, "uid 1003 is not"},
      {"nobody at the machine", root, nobodyActive, 1000, false,
       "no user's session is active on any seat"},
      {"no login manager", root, noLogind, 1000, false, "--user NAME"},
      {"the named user without logind", named, noLogind, 1001, true, "started for"},
      {"the named user alone, whoever is active", named, seats, 1000, false,
       "serves only desk (uid 1001), not uid 1000"},
  };
  for (const Row& row : rows) {
    AccessVerdict verdict = Authorise(row.peer, row.rule, row.sessions);
    EXPECT_EQ(verdict.allowed, row.allowed) << row.name << ": " << verdict.reason;
    EXPECT_NE(verdict.reason.find(row.reasonHas), std::string::npos)
        << row.name << ": " << verdict.reason;
  }
}

}  // namespace
}  // namespace quorlen::helper
