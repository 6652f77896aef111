#include "hosts/protected_names.h"

#include <algorithm>

#include "hosts/hosts_text.h"

namespace quorlen::hosts {

namespace {

constexpr std::string_view kFixed[] = {"localhost",     "localhost.localdomain", "local",
                                       "broadcasthost", "ip6-localhost",        "ip6-loopback"};

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The address a line of the hosts text begins with, after any blanks.
bool BeginsWithOwnAddress(std::string_view line) {
  size_t at = 0;
  while (at < line.size() && Blank(line[at])) ++at;
  for (std::string_view address : {std::string_view("127.0.1.1"), std::string_view("::1")}) {
    if (line.substr(at, address.size()) == address && at + address.size() < line.size() &&
        Blank(line[at + address.size()])) {
      return true;
    }
  }
  return false;
}

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
    if (!BeginsWithOwnAddress(line)) continue;
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

size_t FoldedHash::operator()(std::string_view name) const {
  size_t hash = 14695981039346656037u;  // FNV-1a
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(Folded(c))) * 1099511628211u;
  return hash;
}

bool FoldedEqual::operator()(std::string_view a, std::string_view b) const {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Folded(x) == Folded(y); });
}

void ProtectedNames::Add(std::string_view name) {
  if (!name.empty()) names_.emplace(name);
}

bool ProtectedNames::Contains(std::string_view name) const { return names_.find(name) != names_.end(); }

FoldedNames NamesOfOwnLines(std::string_view hostsText) {
  FoldedNames names;
  size_t pos = 0;
  while (pos < hostsText.size()) {
    size_t end = hostsText.find('\n', pos);
    if (end == std::string_view::npos) end = hostsText.size();
    std::string_view line = hostsText.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, kAddress.size()) == kAddress &&
        IsSafeHostName(line.substr(kAddress.size()))) {
      continue;  // a blocking line, the program's own
    }
    line = line.substr(0, line.find('#'));
    // The fields after the first (the address) are the names the line maps.
    size_t at = 0;
    for (bool address = true; at < line.size(); address = false) {
      while (at < line.size() && Blank(line[at])) ++at;
      size_t start = at;
      while (at < line.size() && !Blank(line[at])) ++at;
      if (!address && at > start) names.insert(line.substr(start, at - start));
    }
  }
  return names;
}

}  // namespace quorlen::hosts
