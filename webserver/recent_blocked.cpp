#include "webserver/recent_blocked.h"

#include <vector>

namespace quorlen {

namespace {

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

}  // namespace

std::string TimeStamp(const LocalTime& now) {
  return TwoDigits(now.hour) + ":" + TwoDigits(now.minute) + ":" + TwoDigits(now.second);
}

void ListRecentBlocked(ListBox& list, std::unique_ptr<cCyclicBuffer>& buffer) {
  list.Clear();
  if (!buffer) buffer = std::make_unique<cCyclicBuffer>();
  std::vector<Variant> items;
  buffer->GetAllItems(items);
  for (size_t i = items.size(); i-- > 1;) {
    std::string record = items[i].ToString();
    if (!record.empty()) list.AddItem(std::move(record));
  }
}

std::string AdServerRecord(const std::string& time, const std::string& host,
                           const std::string& referer, const std::string& agent) {
  return time + " '" + host + "'  from '" + referer + "' by '" + agent + "'";
}

}  // namespace quorlen
