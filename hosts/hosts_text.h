#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hosts/protected_names.h"

namespace quorlen::hosts {

// The hosts-file text the ad-server blocking writes and takes out again. Every blocking
// line is "127.0.0.1 " and one listed name. The file's own line end stands for the line
// end of every step, so a Linux file keeps its LF ends and a Windows-made one its CR LF.

inline constexpr std::string_view kAddress = "127.0.0.1 ";

// The line end of the file's first line; LF when it has none.
std::string_view DetectLineEnd(std::string_view text);

// A list entry can become a hosts line only when it is one word of printable characters:
// anything with a blank, a tab, a line end, a NUL or another control character is not.
bool IsSafeHostName(std::string_view name);

// Where a long operation lets the user interface breathe, and how far it is. Each stage
// is announced once with index -1 before its first entry, even when it has none.
enum class Stage { kDefaultList, kUserList, kExclusions, kBlankLines };
inline constexpr int kStageBegins = -1;
using Pump = std::function<void(Stage stage, int index)>;
using Log = std::function<void(const std::string& message)>;

struct BuildInput {
  std::string_view old;  // the hosts file as read
  std::string_view eol;  // DetectLineEnd(old)
  // Trimmed entries in list order; empty ones are skipped.
  const std::vector<std::string>& defaults;
  const std::vector<std::string>& user;
  const std::vector<std::string>& exclusions;
  Pump pump;  // the default list every 50 entries, every other entry and blank-line pass
  Log log;    // told of every entry that cannot be a host name or is protected
  // Names never blocked, counted as present or allowed; with them, the names the user's
  // own lines map (NamesOfOwnLines) are never newly blocked either. None when null.
  const ProtectedNames* protectedNames = nullptr;
};

struct BuildResult {
  // The new blocking lines first, then the earlier text with the allowed servers' lines
  // and the empty lines taken out; the writer adds one final line end.
  std::string text;
  std::string added;  // just the new lines, as written: without the allowed ones
  int addedCount = 0;
};

// Adds a line for every listed server whose line does not already occur anywhere in the
// old text (a longer name or a commented-out line counts as present), takes out the
// allowed servers' lines and the empty lines. Work is near-linear in list and text size.
BuildResult BuildHostsText(const BuildInput& input);

// Takes out every occurrence of a listed server's line, in exactly the written form with
// its line end; the user's own lines stay, and so do the lines of protected names.
std::string RemoveServerLines(std::string_view text, std::string_view eol,
                              const std::vector<std::string>& defaults,
                              const std::vector<std::string>& user, const Pump& pump,
                              const Log& log, const ProtectedNames* protectedNames = nullptr);

// The number of line ends left of a run of `run` after the twenty passes that each
// replace every pair of line ends by one.
std::size_t CollapsedRun(std::size_t run);

}  // namespace quorlen::hosts
