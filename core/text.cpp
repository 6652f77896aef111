#include "core/text.h"

#include <array>
#include <cctype>
#include <cmath>
#include <limits>

namespace quorlen {

std::string Trim(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  return std::string(text.substr(begin, end - begin));
}

namespace {

// Windows-1252 lower case of every byte, as one table: the web server lower-cases each
// request it answers.
constexpr std::array<unsigned char, 256> kLower = [] {
  std::array<unsigned char, 256> table{};
  for (int b = 0; b < 256; ++b) {
    int lower = b;
    if (b >= 'A' && b <= 'Z') {
      lower = b + 32;
    } else if (b >= 0xC0 && b <= 0xDE && b != 0xD7) {
      lower = b + 32;
    } else if (b == 0x8A || b == 0x8C || b == 0x8E) {
      lower = b + 16;
    } else if (b == 0x9F) {
      lower = 0xFF;
    }
    table[static_cast<size_t>(b)] = static_cast<unsigned char>(lower);
  }
  return table;
}();

}  // namespace

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(kLower[static_cast<unsigned char>(c)]);
  return out;
}

bool SameButForCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (kLower[static_cast<unsigned char>(a[i])] != kLower[static_cast<unsigned char>(b[i])]) {
      return false;
    }
  }
  return true;
}

namespace {

// The characters of Windows-1252 in the range 0x80 to 0x9F; the rest is Latin-1.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t SingleByteToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char32_t{byte};
}

char UnicodeToSingleByte(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
    return static_cast<char>(character);
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighControls[i] == character) return static_cast<char>(0x80 + i);
  }
  return '?';
}

std::string Utf8ToSingleByte(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    size_t extra;
    char32_t character;
    if (lead < 0x80) {
      extra = 0, character = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, character = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, character = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, character = lead & 0x07u;
    } else {
      out.push_back('?');
      ++i;
      continue;
    }
    bool valid = i + extra < utf8.size();
    for (size_t k = 1; valid && k <= extra; ++k) {
      auto next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      character = (character << 6) | (next & 0x3Fu);
    }
    if (!valid) {
      out.push_back('?');
      ++i;
      continue;
    }
    out.push_back(UnicodeToSingleByte(character));
    i += extra + 1;
  }
  return out;
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
  if (what.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, from)) {
    out.append(text.substr(from, at - from));
    out.append(with);
    from = at + what.size();
  }
  out.append(text.substr(from));
  return out;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::optional<double> ParseRadix(std::string_view digits, int radix) {
  if (digits.empty() || digits.size() > 16) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    int d;
    if (c >= '0' && c <= '9') {
      d = c - '0';
    } else if (radix == 16 && std::isxdigit(static_cast<unsigned char>(c))) {
      d = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    } else {
      return std::nullopt;
    }
    if (d >= radix) return std::nullopt;
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(d);
  }
  // Hexadecimal and octal literals of up to 16 bits are signed, as "&HFFFF" is -1.
  if (value <= 0xFFFF && digits.size() <= (radix == 16 ? 4u : 6u)) {
    return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
  }
  if (value <= 0xFFFFFFFFu) {
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
  }
  return std::nullopt;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string_view s = text.substr(begin, end - begin);
  if (s.size() >= 2 && s[0] == '&') {
    char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
    if (kind == 'H') return ParseRadix(s.substr(2), 16);
    if (kind == 'O') return ParseRadix(s.substr(2), 8);
    return std::nullopt;
  }
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  double value = 0;
  int digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
    value = value * 10 + (s[i++] - '0');
    ++digits;
  }
  if (i < s.size() && s[i] == '.') {
    ++i;
    double scale = 0.1;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      value += (s[i++] - '0') * scale;
      scale /= 10;
      ++digits;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativeExponent = s[i++] == '-';
    int exponent = 0;
    int exponentDigits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      if (exponent < 10000) exponent = exponent * 10 + (s[i] - '0');
      ++i;
      ++exponentDigits;
    }
    if (exponentDigits == 0) return std::nullopt;
    value *= std::pow(10.0, negativeExponent ? -exponent : exponent);
  }
  if (i != s.size() || !std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

namespace {

template <typename Int>
std::optional<Int> ToInteger(std::string_view text) {
  auto number = ParseNumber(text);
  if (!number) return std::nullopt;
  double rounded = std::nearbyint(*number);  // the default rounding mode is half to even
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    return std::nullopt;
  }
  return static_cast<Int>(rounded);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::int16_t> ToInt16(std::string_view text) { return ToInteger<std::int16_t>(text); }

std::optional<std::int32_t> ToInt32(std::string_view text) { return ToInteger<std::int32_t>(text); }

std::optional<bool> ToBoolean(std::string_view text) {
  std::string trimmed = Trim(text);
  if (EqualsIgnoringCase(trimmed, "True")) return true;
  if (EqualsIgnoringCase(trimmed, "False")) return false;
  auto number = ParseNumber(text);
  if (!number) return std::nullopt;
  return *number != 0;
}

}  // namespace quorlen
