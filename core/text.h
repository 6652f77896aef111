#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorlen {

// Text helpers with the program's own rules: single-byte Windows-1252 text, blanks (not
// tabs) trimmed, and the number conversions of its settings and list files.

inline constexpr std::string_view kCrLf = "\r\n";

// Removes blanks (character 32 only) at both ends.
std::string Trim(std::string_view text);

// Lower case in Windows-1252: ASCII letters and the accented capitals.
std::string LowerCase(std::string_view text);
// Whether two texts are the same but for case, in the same sense.
bool SameButForCase(std::string_view a, std::string_view b);

// Windows-1252 and Unicode: the character of one byte, and the byte of a character ('?'
// for a character the code page does not have).
char32_t SingleByteToUnicode(unsigned char byte);
char UnicodeToSingleByte(char32_t character);
// The desktop's UTF-8 text as single-byte text; malformed bytes become '?' too.
std::string Utf8ToSingleByte(std::string_view utf8);

// Replaces every occurrence of `what` (non-empty) by `with`, scanning left to right.
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with);

// A number as the program's conversions read it: blanks around it, an optional sign,
// digits with an optional fraction and exponent, or "&H" hexadecimal / "&O" octal.
std::optional<double> ParseNumber(std::string_view text);

// Conversions to the program's 16-bit and 32-bit integers: the number rounded half to
// even; nothing when the text is not a number or the value does not fit.
std::optional<std::int16_t> ToInt16(std::string_view text);
std::optional<std::int32_t> ToInt32(std::string_view text);

// A Boolean as the settings store it: a number (0 false, any other true) or the words
// True and False in any letter case; nothing for any other text, the empty text included.
std::optional<bool> ToBoolean(std::string_view text);

}  // namespace quorlen
