#include "hosts/hosts_text.h"

#include <algorithm>
#include <unordered_set>

#include "hosts/hosts_text_literal.h"

namespace quorlen::hosts {

namespace {

constexpr int kBlankLinePasses = 20;

bool EndsName(unsigned char c) { return c <= ' ' || c == 127; }

// Whether a listed entry may be written, found present, taken out or allowed; the
// entries that may not are told to the log.
bool Usable(const std::string& entry, const ProtectedNames* protectedNames, const Log& log) {
  if (!IsSafeHostName(entry)) {
    if (log) log("Skipped a listed server that is no host name: '" + entry + "'");
    return false;
  }
  if (protectedNames && protectedNames->Contains(entry)) {
    if (log) log("Skipped a listed server this machine itself needs: '" + entry + "'");
    return false;
  }
  return true;
}

// Every occurrence of "127.0.0.1 " in the text, with the word that follows it.
struct Occurrence {
  size_t at;
  std::string_view word;
};

std::vector<Occurrence> AddressOccurrences(std::string_view text) {
  std::vector<Occurrence> found;
  for (size_t at = text.find(kAddress); at != std::string_view::npos;
       at = text.find(kAddress, at + 1)) {
    size_t start = at + kAddress.size();
    size_t end = start;
    while (end < text.size() && !EndsName(static_cast<unsigned char>(text[end]))) ++end;
    found.push_back({at, text.substr(start, end - start)});
  }
  return found;
}

// The words that follow "127.0.0.1 " anywhere in the text, sorted. A name without blanks
// or control characters occurs after the address exactly when it begins such a word.
class PresenceIndex {
 public:
  explicit PresenceIndex(std::string_view text) {
    for (const auto& occurrence : AddressOccurrences(text)) words_.push_back(occurrence.word);
    std::sort(words_.begin(), words_.end());
    words_.erase(std::unique(words_.begin(), words_.end()), words_.end());
  }
  bool Contains(std::string_view name) const {
    auto it = std::lower_bound(words_.begin(), words_.end(), name);
    return it != words_.end() && it->substr(0, name.size()) == name;
  }

 private:
  std::vector<std::string_view> words_;
};

void AddNewLines(const std::vector<std::string>& entries, Stage stage, int pumpEvery,
                 const PresenceIndex& present, const BuildInput& input, BuildResult& result) {
  if (input.pump) input.pump(stage, kStageBegins);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (input.pump && i % static_cast<size_t>(pumpEvery) == 0)
      input.pump(stage, static_cast<int>(i));
    const std::string& entry = entries[i];
    if (entry.empty() || !Usable(entry, input.protectedNames, input.log)) continue;
    if (present.Contains(entry)) continue;
    result.added.append(kAddress).append(entry).append(input.eol);
    ++result.addedCount;
  }
}

// Appends `text` to `out` without every line that is exactly one of `lines` (with its line
// end; a last line without one too), collapsing the runs of line ends as the blank-line
// passes do.
void RemoveLinesAndBlanks(std::string_view text, std::string_view eol,
                          const std::unordered_set<std::string_view>& lines, std::string& out) {
  size_t run = 0;  // line ends waiting to be written
  auto flushRun = [&] {
    for (size_t k = CollapsedRun(run); k > 0; --k) out.append(eol);
    run = 0;
  };
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(eol, pos);
    std::string_view line = text.substr(pos, end == std::string_view::npos ? end : end - pos);
    const bool dropped = !lines.empty() && lines.count(line) != 0;
    if (!dropped && !line.empty()) {
      flushRun();
      out.append(line);
    }
    if (end == std::string_view::npos) break;
    if (!dropped) ++run;
    pos = end + eol.size();
  }
  flushRun();
}

}  // namespace

std::string_view DetectLineEnd(std::string_view text) {
  size_t lf = text.find('\n');
  if (lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r') return "\r\n";
  return "\n";
}

bool IsSafeHostName(std::string_view name) {
  return !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
    return EndsName(static_cast<unsigned char>(c));
  });
}

std::size_t CollapsedRun(std::size_t run) {
  for (int pass = 0; pass < kBlankLinePasses && run > 1; ++pass) run = (run + 1) / 2;
  return run;
}

BuildResult BuildHostsText(const BuildInput& input) {
  BuildResult result;
  {
    size_t room = 0;  // every entry written: one allocation for the lines of both lists
    for (const auto* list : {&input.defaults, &input.user}) {
      for (const std::string& entry : *list)
        room += kAddress.size() + entry.size() + input.eol.size();
    }
    result.added.reserve(room);
    const PresenceIndex present(input.old);
    AddNewLines(input.defaults, Stage::kDefaultList, 50, present, input, result);
    AddNewLines(input.user, Stage::kUserList, 1, present, input, result);
  }

  std::vector<std::string> allowedLines;
  if (input.pump) input.pump(Stage::kExclusions, kStageBegins);
  for (size_t i = 0; i < input.exclusions.size(); ++i) {
    if (input.exclusions[i].empty()) continue;
    if (input.pump) input.pump(Stage::kExclusions, static_cast<int>(i));
    if (input.protectedNames && input.protectedNames->Contains(input.exclusions[i])) {
      if (input.log) {
        input.log("Skipped an allowed server this machine itself needs: '" + input.exclusions[i] +
                  "'");
      }
      continue;
    }
    allowedLines.push_back(std::string(kAddress) + input.exclusions[i]);
  }
  const std::unordered_set<std::string_view> allowed(allowedLines.begin(), allowedLines.end());

  if (input.pump) input.pump(Stage::kBlankLines, kStageBegins);
  for (int pass = 0; pass < kBlankLinePasses; ++pass) {
    if (input.pump) input.pump(Stage::kBlankLines, pass);
  }
  // The added lines hold no blank line, so with nothing allowed the passes leave them as
  // they are.
  if (!allowed.empty()) {
    std::string added;
    added.reserve(result.added.size());
    RemoveLinesAndBlanks(result.added, input.eol, allowed, added);
    result.added = std::move(added);
  }
  // With room for the line end that ends the file when it is written.
  result.text.reserve(result.added.size() + input.old.size() + input.eol.size());
  result.text.append(result.added);
  RemoveLinesAndBlanks(input.old, input.eol, allowed, result.text);
  return result;
}

std::string RemoveServerLines(std::string_view text, std::string_view eol,
                              const std::vector<std::string>& defaults,
                              const std::vector<std::string>& user, const Pump& pump,
                              const Log& log, const ProtectedNames* protectedNames) {
  std::unordered_set<std::string_view> listed;
  std::vector<std::string> safe;
  auto collect = [&](const std::vector<std::string>& entries, Stage stage, size_t pumpEvery) {
    if (pump) pump(stage, kStageBegins);
    for (size_t i = 0; i < entries.size(); ++i) {
      if (pump && i % pumpEvery == 0) pump(stage, static_cast<int>(i));
      if (entries[i].empty() || !Usable(entries[i], protectedNames, log)) continue;
      listed.insert(entries[i]);
      safe.push_back(entries[i]);
    }
  };
  collect(defaults, Stage::kDefaultList, 50);
  collect(user, Stage::kUserList, 1);

  // A listed line is the address, the name and the line end. When every such line starts
  // a line of the text, taking them all out in one pass gives what taking them out name
  // by name gives: the pieces joined after a removal meet at a line end, and no listed
  // line holds a line end anywhere but at its end, so no join can form a new one.
  struct Span {
    size_t at, length;
  };
  std::vector<Span> spans;
  for (const auto& occurrence : AddressOccurrences(text)) {
    size_t after = occurrence.at + kAddress.size() + occurrence.word.size();
    if (!listed.count(occurrence.word) || text.substr(after, eol.size()) != eol) continue;
    if (occurrence.at != 0 && text[occurrence.at - 1] != '\n') {
      // A listed line inside another one, as in "#127.0.0.1 name": only the name-by-name
      // removal tells what the joins then make.
      return literal::RemoveServerLines(text, eol, safe);
    }
    spans.push_back({occurrence.at, after + eol.size() - occurrence.at});
  }
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (const Span& span : spans) {
    out.append(text.substr(from, span.at - from));
    from = span.at + span.length;
  }
  out.append(text.substr(from));
  return out;
}

}  // namespace quorlen::hosts
