#include "hosts/protected_names.h"

#include <algorithm>
#include <filesystem>

#include "core/list_and_text_files.h"
#include "hosts/hosts_text.h"

namespace quorlen::hosts {

namespace {

constexpr std::string_view kFixed[] = {"localhost",     "localhost.localdomain", "local",
                                       "broadcasthost", "ip6-localhost",         "ip6-loopback"};

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Calls `each` with every line of `text`, without its LF and a CR before it.
template <typename Each>
void ForEachLine(std::string_view text, Each each) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    each(line);
    pos = end + 1;
  }
}

// The blank-separated words of `text`.
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && Blank(text[at])) ++at;
    const size_t start = at;
    while (at < text.size() && !Blank(text[at])) ++at;
    if (at > start) words.push_back(text.substr(start, at - start));
  }
  return words;
}

// The address and names of a hosts line, without its comment.
std::vector<std::string_view> Fields(std::string_view line) {
  return Words(line.substr(0, line.find('#')));
}

bool IsBlockingLine(std::string_view line) {
  return line.substr(0, kAddress.size()) == kAddress &&
         IsSafeHostName(line.substr(kAddress.size()));
}

void AddNames(std::string_view line, NameSet& names) {
  const std::vector<std::string_view> fields = Fields(line);
  for (size_t i = 1; i < fields.size(); ++i) names.Add(fields[i]);
}

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Folded(x) == Folded(y); });
}

void AddHost(std::string_view address, std::vector<std::string>& hosts) {
  std::string host = HostOfAddress(address);
  if (!host.empty()) hosts.push_back(std::move(host));
}

}  // namespace

size_t FoldedHash::operator()(std::string_view name) const {
  size_t hash = 14695981039346656037u;  // FNV-1a
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(Folded(c))) * 1099511628211u;
  return hash;
}

bool FoldedEqual::operator()(std::string_view a, std::string_view b) const {
  return SameWord(a, b);
}

void NameSet::Add(std::string_view name) {
  if (!name.empty()) names_.emplace(name);
}

ProtectedNames::ProtectedNames(std::string_view hostsText,
                               const std::vector<std::string>& machineNames) {
  for (std::string_view name : kFixed) names_.Add(name);
  for (const std::string& name : machineNames) names_.Add(name);
  ForEachLine(hostsText, [this](std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() < 2 || (fields[0] != "127.0.1.1" && fields[0] != "::1")) return;
    for (size_t i = 1; i < fields.size(); ++i) names_.Add(fields[i]);
  });
}

FoldedNames NamesOfOwnLines(std::string_view hostsText) {
  FoldedNames names;
  ForEachLine(hostsText, [&](std::string_view line) {
    if (IsBlockingLine(line)) return;
    const std::vector<std::string_view> fields = Fields(line);
    names.insert(fields.begin() + std::min<size_t>(1, fields.size()), fields.end());
  });
  return names;
}

NameSet OwnMappedNames(std::string_view hostsText, std::string_view savedText) {
  NameSet names;
  for (std::string_view name : NamesOfOwnLines(hostsText)) names.Add(name);
  ForEachLine(savedText, [&](std::string_view line) { AddNames(line, names); });
  return names;
}

NameSet OwnBlockedNames(std::string_view savedText) {
  NameSet names;
  ForEachLine(savedText, [&](std::string_view line) {
    if (IsBlockingLine(line)) names.Add(line.substr(kAddress.size()));
  });
  return names;
}

std::string HostOfAddress(std::string_view address) {
  const size_t scheme = address.find("://");
  if (scheme == std::string_view::npos) return {};
  std::string_view authority = address.substr(scheme + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
    authority.remove_prefix(at + 1);
  }
  if (!authority.empty() && authority.front() == '[') {
    authority = authority.substr(1, authority.find(']') - 1);
  } else {
    authority = authority.substr(0, authority.find(':'));
  }
  std::string host(authority);
  std::transform(host.begin(), host.end(), host.begin(), Folded);
  return host;
}

void AddOneLineSourceHosts(std::string_view text, std::vector<std::string>& hosts) {
  ForEachLine(text, [&](std::string_view line) {
    line = line.substr(0, line.find('#'));
    const std::vector<std::string_view> words = Words(line);
    if (words.size() < 2 || (words[0] != "deb" && words[0] != "deb-src")) return;
    // "deb [ options ] address suite components": the options, which may hold blanks, come
    // right after the type.
    std::string_view rest = line.substr(static_cast<size_t>(words[1].data() - line.data()));
    if (rest.front() == '[') {
      const size_t close = rest.find(']');
      if (close == std::string_view::npos) return;
      rest.remove_prefix(close + 1);
    }
    const std::vector<std::string_view> address = Words(rest);
    if (!address.empty()) AddHost(address[0], hosts);
  });
}

void AddDeb822SourceHosts(std::string_view text, std::vector<std::string>& hosts) {
  bool inAddresses = false;  // in the "URIs" field, which may go on over indented lines
  ForEachLine(text, [&](std::string_view line) {
    if (line.empty() || line.front() == '#') {
      if (line.empty()) inAddresses = false;
      return;
    }
    std::string_view value = line;
    if (!Blank(line.front())) {
      const size_t colon = line.find(':');
      if (colon == std::string_view::npos) return;
      inAddresses = SameWord(line.substr(0, colon), "URIs");
      value = line.substr(colon + 1);
    }
    if (!inAddresses) return;
    for (std::string_view address : Words(value)) AddHost(address, hosts);
  });
}

std::vector<std::string> PackageSourceHosts(const std::string& aptFolder) {
  std::vector<std::string> hosts;
  AddOneLineSourceHosts(ReadTextFile(aptFolder + "/sources.list"), hosts);
  std::error_code error;
  for (std::filesystem::directory_iterator it(aptFolder + "/sources.list.d", error), end;
       !error && it != end; it.increment(error)) {
    const std::filesystem::path& path = it->path();
    if (path.extension() == ".list") AddOneLineSourceHosts(ReadTextFile(path.string()), hosts);
    if (path.extension() == ".sources") AddDeb822SourceHosts(ReadTextFile(path.string()), hosts);
  }
  return hosts;
}

}  // namespace quorlen::hosts
