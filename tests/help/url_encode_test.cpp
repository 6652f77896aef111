#include "help/url_encode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorlen {
namespace {

TEST(URLEncode, TheProgramsOwnTable) {
  struct Case {
    const char* name;
    std::string text;
    std::string encoded;
  };
  for (const Case& c : std::vector<Case>{
           {"empty", "", ""},
           {"two lines meet at DA", "first line\r\nsecond", "first%20lineDAsecond"},
           {"a lone line feed stays", "a\nb\rc", "a\nb\rc"},
           {"nothing after the first question mark is encoded", "a/b c? d/e", "a%2Fb%20c? d/e"},
           {"an e-mail address keeps its at-sign and dots", "jo.ann@mail.example.org",
            "jo.ann@mail.example.org"},
           {"every character of the table", "%, /~:$&", "%25%2C%20%2F%7E%3A%24%26"},
           {"letters, digits, = and + stay", "Az09=+-_.!*'()", "Az09=+-_.!*'()"},
           {"a percent sign is not taken for an escape", "100%20", "100%2520"},
           {"the line break before a question mark is still replaced", "x\r\n?\r\ny", "xDA?DAy"},
           {"the second question mark is copied like the rest", "??&", "??&"},
           {"bytes above 127 are copied", "caf\xE9 \xA9", "caf\xE9%20\xA9"},
       }) {
    EXPECT_EQ(URLEncode(c.text), c.encoded) << c.name;
  }
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
