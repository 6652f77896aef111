#include "hosts/hosts_text_literal.h"

#include "core/text.h"
#include "hosts/hosts_text.h"

namespace quorlen::hosts::literal {

namespace {

std::string RemoveExactLines(std::string_view text, std::string_view eol, std::string_view line) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(eol, pos);
    std::string_view current =
        text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (current != line) {
      out.append(current);
      if (end != std::string_view::npos) out.append(eol);
    }
    if (end == std::string_view::npos) break;
    pos = end + eol.size();
  }
  return out;
}

}  // namespace

Result BuildHostsText(std::string_view old, std::string_view eol,
                      const std::vector<std::string>& defaults,
                      const std::vector<std::string>& user,
                      const std::vector<std::string>& exclusions) {
  Result result;
  for (const auto* list : {&defaults, &user}) {
    for (const std::string& entry : *list) {
      if (!IsSafeHostName(entry)) continue;
      std::string line = std::string(kAddress) + entry;
      if (old.find(line) == std::string_view::npos) {
        result.added += line + std::string(eol);
        ++result.addedCount;
      }
    }
  }
  std::string oldText(old);
  std::string newText = result.added;
  for (const std::string& allowed : exclusions) {
    if (allowed.empty()) continue;
    std::string line = std::string(kAddress) + allowed;
    oldText = RemoveExactLines(oldText, eol, line);
    newText = RemoveExactLines(newText, eol, line);
  }
  const std::string pair = std::string(eol) + std::string(eol);
  for (int pass = 0; pass < 20; ++pass) {
    oldText = ReplaceAll(oldText, pair, eol);
    newText = ReplaceAll(newText, pair, eol);
  }
  result.added = newText;
  result.text = newText + oldText;
  return result;
}

std::string RemoveServerLines(std::string_view text, std::string_view eol,
                              const std::vector<std::string>& entries) {
  std::string out(text);
  for (const std::string& entry : entries) {
    if (!IsSafeHostName(entry)) continue;
    out = ReplaceAll(out, std::string(kAddress) + entry + std::string(eol), "");
  }
  return out;
}

}  // namespace quorlen::hosts::literal
