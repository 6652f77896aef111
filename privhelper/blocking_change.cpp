#include "privhelper/blocking_change.h"

#include <algorithm>
#include <functional>
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
  return name.size() <= kLongestHostName && hosts::IsSafeHostName(name) && !keep.Contains(name);
}

// The lines of the user's own, in order: neither blank nor blocking. The others are
// counted, and the blocking ones told to `blocking` with their number.
class OwnLines {
 public:
  using Blocking = std::function<void(std::string_view line, int number)>;
  OwnLines(std::string_view text, const hosts::ProtectedNames& keep, Blocking blocking = {})
      : text_(text), keep_(keep), blocking_(std::move(blocking)) {}
  // The next own line and its number (1-based) in the text; false at the end.
  bool Next(std::string_view& line, int& number) {
    while (at_ < text_.size()) {
      line = NextLine(text_, at_);
      ++number_;
      if (line.empty()) {
        ++blankLines_;
        continue;
      }
      if (IsBlockingLine(line, keep_)) {
        ++blockingLines_;
        if (blocking_) blocking_(line, number_);
        continue;
      }
      number = number_;
      return true;
    }
    return false;
  }
  // Once Next has returned false.
  std::size_t BlockingLines() const { return blockingLines_; }
  std::size_t BlankLines() const { return blankLines_; }

 private:
  std::string_view text_;
  const hosts::ProtectedNames& keep_;
  Blocking blocking_;
  std::size_t at_ = 0;
  int number_ = 0;
  std::size_t blockingLines_ = 0;
  std::size_t blankLines_ = 0;
};

// The most lines of a kind a new text may hold: what blocking needs, or what the file
// already holds.
bool WithinBound(std::size_t proposed, std::size_t current) {
  return proposed <= std::max(kMaxBlockingLines, current);
}

std::string Shown(std::string_view line) {
  std::string shown;
  for (char c : line.substr(0, 80)) {
    auto byte = static_cast<unsigned char>(c);
    shown += byte < ' ' || byte == 127 ? '?' : c;
  }
  return "\"" + shown + (line.size() > 80 ? "...\"" : "\"");
}

std::string NotInTheFile(int number, std::string_view line) {
  return "line " + std::to_string(number) +
         " of the new text is not a blocking line \"127.0.0.1 <name>\" and not in the hosts "
         "file: " +
         Shown(line);
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

std::size_t LargestAcceptedText(std::size_t currentSize) {
  // The user's lines may come back with CR LF for LF; then the blocking lines with their
  // CR LF, and the blank lines'.
  return 2 * currentSize + kMaxBlockingLines * (hosts::kAddress.size() + kLongestHostName + 2) +
         kMaxBlockingLines * 2;
}

ChangeVerdict JudgeBlockingChange(std::string_view current, std::string_view proposed,
                                  const std::vector<std::string>& machineNames) {
  const hosts::ProtectedNames keep(current, machineNames);
  std::unordered_set<std::string_view> currentBlocking;
  std::string_view kept, written;
  int keptAt = 0, writtenAt = 0;
  for (OwnLines scan(current, keep,
                     [&](std::string_view line, int) { currentBlocking.insert(line); });
       scan.Next(kept, keptAt);) {
  }
  const hosts::FoldedNames own = hosts::NamesOfOwnLines(current);
  std::string shadowing;  // the first new blocking line for a name of the user's own lines
  OwnLines before(current, keep);
  OwnLines after(proposed, keep, [&](std::string_view line, int number) {
    std::string_view name = line.substr(hosts::kAddress.size());
    if (shadowing.empty() && own.contains(name) && !currentBlocking.contains(line)) {
      shadowing = "line " + std::to_string(number) + " of the new text would send " + Shown(name) +
                  " to 127.0.0.1, and a line of the user's own in the hosts file gives it an "
                  "address";
    }
  });
  while (true) {
    bool more = before.Next(kept, keptAt);
    bool moreWritten = after.Next(written, writtenAt);
    if (!more && !moreWritten) break;
    if (!moreWritten) {
      return {false, "line " + std::to_string(keptAt) +
                         " of the hosts file would be lost: " + Shown(kept)};
    }
    if (!more || kept != written) return {false, NotInTheFile(writtenAt, written)};
  }
  if (!shadowing.empty()) return {false, shadowing};
  if (!WithinBound(after.BlockingLines(), before.BlockingLines())) {
    return {false, "the new text holds " + std::to_string(after.BlockingLines()) +
                       " blocking lines, more than the " + std::to_string(kMaxBlockingLines) +
                       " of two full lists"};
  }
  if (!WithinBound(after.BlankLines(), before.BlankLines())) {
    return {false, "the new text holds " + std::to_string(after.BlankLines()) +
                       " blank lines, more than the " + std::to_string(kMaxBlockingLines) +
                       " taken"};
  }
  return {true, {}};
}

}  // namespace quorlen::helper
