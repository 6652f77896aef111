#pragma once

#include "privhelper/authorisation.h"

namespace quorlen::helper {

// The active session of every seat, as systemd-logind keeps them under /run/systemd
// (read through libsystemd's sd-login, which asks nothing of a daemon and cannot stall).
// Without a seat recorded the login manager counts as absent.
LocalSessions ReadLocalSessions();

}  // namespace quorlen::helper
