#include "hosts/protected_names.h"

#include <algorithm>
#include <cctype>

namespace quorlen::hosts {

namespace {

constexpr std::string_view kFixed[] = {"localhost",     "localhost.localdomain", "local",
                                       "broadcasthost", "ip6-localhost",        "ip6-loopback"};

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

ProtectedNames::ProtectedNames(std::string_view hostsText,
                               const std::vector<std::string>& machineNames) {
  for (std::string_view name : kFixed) Add(name);
  for (const std::string& name : machineNames) Add(name);
  size_t pos = 0;
  while (pos < hostsText.size()) {
    size_t end = hostsText.find('\n', pos);
    if (end == std::string_view::npos) end = hostsText.size();
    std::string_view line = hostsText.substr(pos, end - pos);
    pos = end + 1;
    line = line.substr(0, line.find('#'));
    // The fields of the line: an address, then its names.
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (at < line.size()) {
      while (at < line.size() && Blank(line[at])) ++at;
      size_t start = at;
      while (at < line.size() && !Blank(line[at])) ++at;
      if (at > start) fields.push_back(line.substr(start, at - start));
    }
    if (fields.size() < 2 || (fields[0] != "127.0.1.1" && fields[0] != "::1")) continue;
    for (size_t i = 1; i < fields.size(); ++i) Add(fields[i]);
  }
}

void ProtectedNames::Add(std::string_view name) {
  if (!name.empty()) names_.insert(Lower(name));
}

bool ProtectedNames::Contains(std::string_view name) const {
  return names_.count(Lower(name)) != 0;
}

}  // namespace quorlen::hosts
