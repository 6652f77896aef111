// Feeds arbitrary bytes to the readers of the vendor site's files: the list parser (both
// lists), the date reader, the striking of a downloaded removal list out of a hosts text,
// the signature check, the shown version text, and the readers of the user's own hosts
// lines and of apt's package sources. Nothing may crash; an accepted list must end in its
// marker, every name marked as a host name must be one, a read date must write back and
// read again to itself, the fast striking must agree with the literal one, no made-up
// signature may verify, the shown version text must be the text or a cut of it within
// twenty lines, and a package source's host must be a bare lower-case name.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "hosts/hosts_text.h"
#include "hosts/hosts_text_literal.h"
#include "hosts/protected_names.h"
#include "update/download_format.h"
#include "update/site_signature.h"
#include "update/version_check.h"

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
  const std::string fast = hosts::RemoveServerLines(
      hostsText, eol, names, {}, [](hosts::Stage, int) {}, nullptr);
  if (fast != hosts::literal::RemoveServerLines(hostsText, eol, names)) std::abort();

  // The site's key (the shipped one): a signature the fuzzer makes up never verifies.
  static constexpr auto key =
      update::SiteKey::FromHex("8f3a3b2ed6a526da1fa0a6319fe69d36702b672c394e2bc6d6333971e7bea5db");
  if (size >= update::SiteKey::kSignatureBytes &&
      key->Signed(bytes.substr(update::SiteKey::kSignatureBytes),
                  bytes.substr(0, update::SiteKey::kSignatureBytes))) {
    std::abort();
  }

  const std::string shown = ShownChanges(bytes);
  if (shown != bytes) {
    if (shown.size() < 3 || shown.compare(shown.size() - 3, 3, "...") != 0) std::abort();
    if (bytes.compare(0, shown.size() - 3, shown, 0, shown.size() - 3) != 0) std::abort();
  }
  // Twenty lines of eighty characters, each with its CR LF, and "..." at most.
  if (std::count(shown.begin(), shown.end(), '\n') > 20 || shown.size() > 20 * 82 + 3) {
    std::abort();
  }

  std::vector<std::string> sourceHosts;
  hosts::AddOneLineSourceHosts(bytes, sourceHosts);
  hosts::AddDeb822SourceHosts(bytes, sourceHosts);
  for (const std::string& host : sourceHosts) {
    if (host.find_first_of("/?#@ \t\n") != std::string::npos) std::abort();
    if (std::any_of(host.begin(), host.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
      std::abort();
    }
  }
  hosts::OwnMappedNames(hostsText, bytes.substr(size / 2));
  return 0;
}
