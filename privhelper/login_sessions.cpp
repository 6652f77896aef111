#include "privhelper/login_sessions.h"

#include <systemd/sd-login.h>

#include <cstdlib>
#include <memory>

namespace quorlen::helper {

namespace {

struct Freed {
  void operator()(char* text) const { std::free(text); }
};
using Text = std::unique_ptr<char, Freed>;

}  // namespace

LocalSessions ReadLocalSessions() {
  LocalSessions sessions;
  char** seats = nullptr;
  const int count = sd_get_seats(&seats);
  // A running logind (or elogind) records seat0 at least; a folder left empty tells nothing.
  sessions.loginManager = count > 0;
  for (int i = 0; i < count; ++i) {
    Text seat(seats[i]);
    char* activeSession = nullptr;
    uid_t uid = 0;
    const int found = sd_seat_get_active(seat.get(), &activeSession, &uid);
    Text session(activeSession);
    if (found < 0 || !session) continue;
    ActiveSeat active{seat.get(), session.get(), uid, sd_session_is_remote(session.get()) != 0, {}};
    char* sessionClass = nullptr;
    if (sd_session_get_class(session.get(), &sessionClass) >= 0) {
      Text owned(sessionClass);
      active.sessionClass = owned.get();
    }
    sessions.active.push_back(std::move(active));
  }
  std::free(seats);
  return sessions;
}

}  // namespace quorlen::helper
