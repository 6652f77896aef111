#include "help/url_encode.h"

#include "core/text.h"

namespace quorlen {

std::string URLEncode(std::string_view text, const std::function<void()>& afterEachCharacter) {
  if (text.empty()) return {};
  std::string lines = ReplaceAll(text, kCrLf, "DA");
  std::string encoded;
  encoded.reserve(lines.size() * 3);
  bool queryMet = false;
  for (char c : lines) {
    const char* replacement = nullptr;
    if (!queryMet) {
      switch (c) {
        case '%':
          replacement = "%25";
          break;
        case ',':
          replacement = "%2C";
          break;
        case ' ':
          replacement = "%20";
          break;
        case '/':
          replacement = "%2F";
          break;
        case '~':
          replacement = "%7E";
          break;
        case ':':
          replacement = "%3A";
          break;
        case '$':
          replacement = "%24";
          break;
        case '&':
          replacement = "%26";
          break;
        case '?':
          queryMet = true;
          break;
        default:
          break;
      }
    }
    if (replacement) {
      encoded += replacement;
    } else {
      encoded += c;
    }
    if (afterEachCharacter) afterEachCharacter();
  }
  return encoded;
}

}  // namespace quorlen
