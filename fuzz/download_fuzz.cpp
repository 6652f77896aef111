// Feeds arbitrary bytes to the readers of the vendor site's files: the list parser (both
// lists), the date reader, and the striking of a downloaded removal list out of a hosts
// text. Nothing may crash; an accepted list must end in its marker, every name marked as
// a host name must be one, a read date must write back and read again to itself, and the
// fast striking must agree with the literal one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "hosts/hosts_text.h"
#include "hosts/hosts_text_literal.h"
#include "update/download_format.h"

using namespace quorlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (bool popupMarks : {true, false}) {
    auto list = update::ParseServerList(bytes, popupMarks);
    const bool marked = bytes == "[END]" ||
                        (bytes.size() >= 7 && bytes.compare(bytes.size() - 7, 7, "\r\n[END]") == 0);
    if (list.has_value() != marked) std::abort();
    if (!list) continue;
    for (const auto& entry : list->entries) {
      if (entry.hostName != hosts::IsSafeHostName(entry.name)) std::abort();
      if (entry.popup && (!popupMarks || entry.line.front() != '*')) std::abort();
      if (entry.line.empty() || entry.line.front() == '#') std::abort();
      if (bytes.find(entry.line) == std::string::npos) std::abort();
    }
  }

  if (auto date = update::ParseUpdateDate(bytes)) {
    if (date->month < 1 || date->month > 12 || date->day < 1 || date->day > 31) std::abort();
    if (update::ParseUpdateDate(update::FormatUpdateDate(*date)) != date) std::abort();
  }

  // The first half is a hosts text, the second a removal list without its marker.
  const std::string hostsText = bytes.substr(0, size / 2);
  auto removals = update::ParseServerList(bytes.substr(size / 2) + "\r\n[END]", false);
  std::vector<std::string> names;
  for (const auto& entry : removals->entries) {
    if (entry.hostName) names.push_back(entry.name);
  }
  const std::string_view eol = hosts::DetectLineEnd(hostsText);
  const std::string fast = hosts::RemoveServerLines(hostsText, eol, names, {},
                                                    [](hosts::Stage, int) {}, nullptr);
  if (fast != hosts::literal::RemoveServerLines(hostsText, eol, names)) std::abort();
  return 0;
}
