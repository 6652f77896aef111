#include "privhelper/blocking_change.h"

#include <algorithm>
#include <unordered_set>

#include "hosts/hosts_text.h"
#include "hosts/protected_names.h"

namespace quorlen::helper {

namespace {

// The next line of `text` from `at`, without its LF and the CR before it; `at` moves past
// the line end.
std::string_view NextLine(std::string_view text, std::size_t& at) {
  auto end = text.find('\n', at);
  std::string_view line =
      text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
  at = end == std::string_view::npos ? text.size() : end + 1;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool IsBlockingLine(std::string_view line, const hosts::ProtectedNames& keep) {
  if (line.substr(0, hosts::kAddress.size()) != hosts::kAddress) return false;
  std::string_view name = line.substr(hosts::kAddress.size());
  return hosts::IsSafeHostName(name) && !keep.Contains(name);
}

// The lines of the user's own, in order: neither blank nor blocking.
class OwnLines {
 public:
  OwnLines(std::string_view text, const hosts::ProtectedNames& keep) : text_(text), keep_(keep) {}
  // The next own line and its number (1-based) in the text; false at the end.
  bool Next(std::string_view& line, int& number) {
    while (at_ < text_.size()) {
      line = NextLine(text_, at_);
      ++number_;
      if (line.empty() || IsBlockingLine(line, keep_)) continue;
      number = number_;
      return true;
    }
    return false;
  }

 private:
  std::string_view text_;
  const hosts::ProtectedNames& keep_;
  std::size_t at_ = 0;
  int number_ = 0;
};

std::string Shown(std::string_view line) {
  std::string shown;
  for (char c : line.substr(0, 80)) {
    auto byte = static_cast<unsigned char>(c);
    shown += byte < ' ' || byte == 127 ? '?' : c;
  }
  return "\"" + shown + (line.size() > 80 ? "...\"" : "\"");
}

}  // namespace

std::string WithoutAddedBlockingLines(std::string_view hosts, std::string_view saved,
                                      const std::vector<std::string>& machineNames) {
  const hosts::ProtectedNames keep(hosts, machineNames);
  std::unordered_set<std::string_view> savedLines;
  for (std::size_t at = 0; at < saved.size();) savedLines.insert(NextLine(saved, at));
  std::string kept;
  for (std::size_t at = 0; at < hosts.size();) {
    std::size_t start = at;
    std::string_view line = NextLine(hosts, at);
    if (IsBlockingLine(line, keep) && !savedLines.contains(line)) continue;
    kept.append(hosts.substr(start, at - start));
  }
  return kept;
}

ChangeVerdict JudgeBlockingChange(std::string_view current, std::string_view proposed,
                                  const std::vector<std::string>& machineNames) {
  const hosts::ProtectedNames keep(current, machineNames);
  OwnLines before(current, keep), after(proposed, keep);
  std::string_view kept, written;
  int keptAt = 0, writtenAt = 0;
  while (true) {
    bool more = before.Next(kept, keptAt);
    bool moreWritten = after.Next(written, writtenAt);
    if (!more && !moreWritten) return {true, {}};
    if (!moreWritten) {
      return {false, "line " + std::to_string(keptAt) +
                         " of the hosts file would be lost: " + Shown(kept)};
    }
    if (!more || kept != written) {
      return {false, "line " + std::to_string(writtenAt) +
                         " of the new text is not a blocking line \"127.0.0.1 <name>\" and "
                         "not in the hosts file: " +
                         Shown(written)};
    }
  }
}

}  // namespace quorlen::helper
