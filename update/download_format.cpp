#include "update/download_format.h"

#include <charconv>

#include "core/text.h"
#include "hosts/hosts_text.h"

namespace quorlen::update {

std::optional<ServerList> ParseServerList(std::string_view text, bool popupMarks) {
  constexpr std::string_view kLineEnd = "\r\n";
  std::vector<std::string_view> pieces;
  for (std::size_t start = 0;;) {
    std::size_t end = text.find(kLineEnd, start);
    if (end == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      break;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + kLineEnd.size();
  }
  if (pieces.back() != kEndMarker) return std::nullopt;

  ServerList list;
  list.lastPiece = pieces.size() >= 2 ? pieces.size() - 2 : 0;
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
    std::string line = Trim(pieces[i]);
    if (line.empty() || line.front() == '#') continue;
    ListEntry entry;
    entry.piece = i;
    entry.popup = popupMarks && line.front() == '*';
    entry.name = entry.popup ? line.substr(1) : line;
    entry.hostName = hosts::IsSafeHostName(entry.name);
    entry.line = std::move(line);
    list.entries.push_back(std::move(entry));
  }
  return list;
}

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::optional<int> Number(std::string_view digits, std::size_t minDigits, std::size_t maxDigits) {
  if (digits.size() < minDigits || digits.size() > maxDigits) return std::nullopt;
  int value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<UpdateDate> ParseUpdateDate(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  std::size_t first = text.find('/');
  if (first == std::string_view::npos) return std::nullopt;
  std::size_t second = text.find('/', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  auto month = Number(text.substr(0, first), 1, 2);
  auto day = Number(text.substr(first + 1, second - first - 1), 1, 2);
  auto year = Number(text.substr(second + 1), 4, 4);
  if (!month || !day || !year) return std::nullopt;
  if (*month < 1 || *month > 12 || *year < 1000) return std::nullopt;
  if (*day < 1 || *day > DaysInMonth(*year, *month)) return std::nullopt;
  return UpdateDate{*year, *month, *day};
}

std::string FormatUpdateDate(const UpdateDate& date) {
  return std::to_string(date.month) + "/" + std::to_string(date.day) + "/" +
         std::to_string(date.year);
}

}  // namespace quorlen::update
