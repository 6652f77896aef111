#include "privhelper/authorisation.h"

namespace quorlen::helper {

namespace {

std::string Uid(uid_t uid) { return "uid " + std::to_string(uid); }

// Who sits at the machine now, for a refusal: "uid 1000 on seat0", or that nobody does.
std::string WhoIsActive(const LocalSessions& sessions) {
  std::string who;
  for (const ActiveSeat& seat : sessions.active) {
    if (seat.remote || seat.sessionClass != "user") continue;
    who += (who.empty() ? "" : ", ") + Uid(seat.uid) + " on " + seat.seat;
  }
  return who.empty() ? "no user's session is active on any seat" : "the active session is " + who;
}

}  // namespace

AccessVerdict Authorise(uid_t peer, const AccessRule& rule, const LocalSessions& sessions) {
  if (peer == rule.helperUser) return {true, "the helper's own user"};
  if (rule.namedUser) {
    if (peer == *rule.namedUser) return {true, "the user the helper was started for"};
    return {false, "serves only " + rule.namedUserName + " (" + Uid(*rule.namedUser) + "), not " +
                       Uid(peer)};
  }
  if (!sessions.loginManager) {
    return {false, "no login manager (systemd-logind) tells whether " + Uid(peer) +
                       " sits at this machine; the administrator can start quorlen-helper "
                       "with --user NAME"};
  }
  for (const ActiveSeat& seat : sessions.active) {
    if (seat.uid == peer && !seat.remote && seat.sessionClass == "user") {
      return {true, "the active session " + seat.session + " on " + seat.seat};
    }
  }
  return {false, "serves only the user of the active local session; " + Uid(peer) + " is not (" +
                     WhoIsActive(sessions) + ")"};
}

}  // namespace quorlen::helper
