#include "help/url_encode.h"

#include <gtest/gtest.h>

#include <string>

namespace quorlen {
namespace {

TEST(URLEncode, TheProgramsOwnTable) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"first line\r\nsecond", "first%20lineDAsecond"},  // two lines meet at DA
      {"a\nb\rc", "a\nb\rc"},                            // a lone line feed stays
      {"a/b c? d/e", "a%2Fb%20c? d/e"},  // nothing after the first question mark is encoded
      {"jo.ann@mail.example.org", "jo.ann@mail.example.org"},
      {"%, /~:$&", "%25%2C%20%2F%7E%3A%24%26"},  // every character of the table
      {"Az09=+-_.!*'()", "Az09=+-_.!*'()"},
      {"100%20", "100%2520"},              // a percent sign is not taken for an escape
      {"x\r\n?\r\ny", "xDA?DAy"},          // line breaks after a question mark are still replaced
      {"??&", "??&"},                      // the second question mark is copied like the rest
      {"caf\xE9 \xA9", "caf\xE9%20\xA9"},  // bytes above 127 are copied
  };
  for (const auto& [text, encoded] : cases) EXPECT_EQ(URLEncode(text), encoded) << text;
}

TEST(URLEncode, LetsEventsRunOncePerCharacterAfterTheLineBreaksAreJoined) {
  int runs = 0;
  URLEncode("ab\r\ncd", [&] { ++runs; });
  EXPECT_EQ(runs, 6);  // "abDAcd"
  runs = 0;
  URLEncode("", [&] { ++runs; });
  EXPECT_EQ(runs, 0);
}

}  // namespace
}  // namespace quorlen
