#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace quorlen::helper {

// The session in the foreground of one seat, as the login manager (systemd-logind) tells
// it: the user sitting at that screen and keyboard right now.
struct ActiveSeat {
  std::string seat;     // "seat0"
  std::string session;  // logind's session id
  uid_t uid = 0;
  bool remote = false;       // a session of ssh or a remote desktop
  std::string sessionClass;  // "user", or "greeter" for the login screen
};

// What the helper knows of who sits at the machine.
struct LocalSessions {
  bool loginManager = false;  // logind records a seat; without one nothing is known
  std::vector<ActiveSeat> active;
};

// Who may ask the helper anything.
struct AccessRule {
  uid_t helperUser = 0;  // the helper's own user, who could make every change itself
  // Named by the administrator (quorlen-helper --user) where no login manager tells who
  // sits at the machine; when set, that user alone, whatever the sessions say.
  std::optional<uid_t> namedUser;
  std::string namedUserName;
};

struct AccessVerdict {
  bool allowed = false;
  std::string reason;  // why, in words for the log; why not, also for the user after
                       // "quorlen-helper: "
};

// The one decision every request of a connection passes before a byte of it is read:
// the helper serves the user of the active local session of a seat (a user's session,
// not the login screen's, not a remote one), and its own user. Another user of the
// machine (a second desktop user in the background, a service account, a remote login)
// is refused, so nobody but the person at the machine can change its hosts file or get
// its listening sockets.
AccessVerdict Authorise(uid_t peer, const AccessRule& rule, const LocalSessions& sessions);

}  // namespace quorlen::helper
