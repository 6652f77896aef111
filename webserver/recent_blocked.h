#pragma once

#include <memory>
#include <string>

#include "core/controls.h"
#include "platform/event_loop.h"
#include "webserver/cyclic_buffer.h"

namespace quorlen {

// The time of day of a recent-blocked record: hh:mm:ss, two digits each.
std::string TimeStamp(const LocalTime& now);

// Fills the list box with the buffer's records, newest first. A buffer that was never
// set up is replaced by a new, empty one.
void ListRecentBlocked(ListBox& list, std::unique_ptr<cCyclicBuffer>& buffer);

// The record of a request answered by the local web server. Referer and agent keep the
// blank that followed their colons, and two blanks stand before "from".
std::string AdServerRecord(const std::string& time, const std::string& host,
                           const std::string& referer, const std::string& agent);

}  // namespace quorlen
