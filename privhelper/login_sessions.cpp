#include "privhelper/login_sessions.h"

#include <sys/stat.h>
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
  // logind makes this folder when it starts; an elogind machine has it as well.
  struct stat seatsFolder {};
  sessions.loginManager =
      ::stat("/run/systemd/seats", &seatsFolder) == 0 && S_ISDIR(seatsFolder.st_mode);
  if (!sessions.loginManager) return sessions;
  char** seats = nullptr;
  const int count = sd_get_seats(&seats);
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
