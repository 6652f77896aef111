#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorlen::update {

// The plain-text files of the vendor site: the ad-server lists "domains.txt" and
// "removals.txt" and the date of the site's latest data "updatedate.txt".

// The marker that must be the whole last line of a list, with no line end after it; a
// list cut short by a broken transfer lacks it and is never used.
inline constexpr std::string_view kEndMarker = "[END]";

struct ListEntry {
  std::size_t piece = 0;  // index of its line, counted from 0
  std::string line;       // the line with its blanks trimmed, as the status shows it
  std::string name;       // the server: the line, or what follows a leading "*"
  bool popup = false;     // the line began with "*" (the active list only)
  bool hostName = false;  // the name can stand in a hosts line
};

struct ServerList {
  std::size_t lastPiece = 0;       // index of the last line before "[END]"
  std::vector<ListEntry> entries;  // in file order; empty and "#" lines left out
};

// Cuts a downloaded list at each CR LF. Nothing when its last piece is not exactly
// "[END]" (a line end after the marker counts as a broken list). `popupMarks` makes a
// leading "*" mark a popup server, as in the active list; in the removal list the line
// is taken whole. An "[END]" before the last line is an ordinary name.
std::optional<ServerList> ParseServerList(std::string_view text, bool popupMarks);

// A calendar date as the program writes it: month/day/year with a four-digit year and
// no leading zeros, e.g. 12/15/2002.
struct UpdateDate {
  int year = 2001;
  int month = 1;
  int day = 1;
  auto operator<=>(const UpdateDate&) const = default;
};

// Reads a month/day/year date; blanks and line ends around it are allowed, a month of
// 13 or a 31st of April is not. Nothing for anything else.
std::optional<UpdateDate> ParseUpdateDate(std::string_view text);
std::string FormatUpdateDate(const UpdateDate& date);

}  // namespace quorlen::update
