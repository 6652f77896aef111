#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorlen::hosts::literal {

// The hosts-file steps done the obvious way: a substring search of the whole text per
// listed server and a full rewrite per allowed server and per blank-line pass. Quadratic;
// kept as the reference the fast steps are checked and measured against.

struct Result {
  std::string text;
  std::string added;  // the new lines as written
  int addedCount = 0;
};

// Entries are trimmed; empty ones and those that are no host name are skipped.
Result BuildHostsText(std::string_view old, std::string_view eol,
                      const std::vector<std::string>& defaults,
                      const std::vector<std::string>& user,
                      const std::vector<std::string>& exclusions);

std::string RemoveServerLines(std::string_view text, std::string_view eol,
                              const std::vector<std::string>& entries);

}  // namespace quorlen::hosts::literal
