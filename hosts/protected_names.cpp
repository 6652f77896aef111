#include "hosts/protected_names.h"

#include <algorithm>

#include "hosts/hosts_text.h"

namespace quorlen::hosts {

namespace {

constexpr std::string_view kFixed[] = {"localhost",     "localhost.localdomain", "local",
                                       "broadcasthost", "ip6-localhost",        "ip6-loopback"};

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The fields of a line of the hosts text up to its comment: an address, then its names.
std::vector<std::string_view> Fields(std::string_view line) {
  line = line.substr(0, line.find('#'));
  std::vector<std::string_view> fields;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && Blank(line[at])) ++at;
    size_t start = at;
    while (at < line.size() && !Blank(line[at])) ++at;
    if (at > start) fields.push_back(line.substr(start, at - start));
  }
  return fields;
}

// A line as the blocking writes it: the address, one blank and one name.
bool IsBlockingLine(std::string_view line) {
  return line.substr(0, kAddress.size()) == kAddress &&
         IsSafeHostName(line.substr(kAddress.size()));
}

}  // namespace

ProtectedNames::ProtectedNames(std::string_view hostsText,
                               const std::vector<std::string>& machineNames) {
  for (std::string_view name : kFixed) Add(names_, name);
  for (const std::string& name : machineNames) Add(names_, name);
  size_t pos = 0;
  while (pos < hostsText.size()) {
    size_t end = hostsText.find('\n', pos);
    if (end == std::string_view::npos) end = hostsText.size();
    std::string_view line = hostsText.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsBlockingLine(line)) continue;
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() < 2) continue;
    const bool ownAddress = fields[0] == "127.0.1.1" || fields[0] == "::1";
    for (size_t i = 1; i < fields.size(); ++i) {
      Add(mappedByOwnLines_, fields[i]);
      if (ownAddress) Add(names_, fields[i]);
    }
  }
}

size_t ProtectedNames::FoldedHash::operator()(std::string_view name) const {
  size_t hash = 14695981039346656037u;  // FNV-1a
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(Folded(c))) * 1099511628211u;
  return hash;
}

bool ProtectedNames::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Folded(x) == Folded(y); });
}

void ProtectedNames::Add(NameSet& set, std::string_view name) {
  if (!name.empty()) set.emplace(name);
}

bool ProtectedNames::Contains(std::string_view name) const { return names_.find(name) != names_.end(); }

bool ProtectedNames::MappedByOwnLine(std::string_view name) const {
  return mappedByOwnLines_.find(name) != mappedByOwnLines_.end();
}

}  // namespace quorlen::hosts
