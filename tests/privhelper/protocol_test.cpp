#include "privhelper/protocol.h"

#include <gtest/gtest.h>

namespace quorlen::helper {
namespace {

constexpr std::size_t kLimit = 1000;

TEST(RequestFormat, EveryVerbRoundTripsAndEveryPrefixIsIncomplete) {
  const std::string text = "127.0.0.1 ads.example\r\n# mine\r\n";
  for (const auto& [verb, body] :
       std::vector<std::pair<Verb, std::string>>{{Verb::kWriteHosts, text},
                                                 {Verb::kWriteBackup, text},
                                                 {Verb::kWriteFullCopy, ""},
                                                 {Verb::kListenPort80, ""},
                                                 {Verb::kListenPort443, ""}}) {
    const std::string bytes = EncodeRequest(verb, body);
    ParseResult parsed = ParseRequest(bytes, true, kLimit);
    ASSERT_EQ(parsed.status, ParseStatus::kComplete) << bytes << parsed.reason;
    EXPECT_EQ(std::tuple(parsed.request.verb, parsed.request.body, parsed.expected),
              std::tuple(verb, body, bytes.size()));
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      const std::string prefix = bytes.substr(0, cut);
      EXPECT_EQ(ParseRequest(prefix, false, kLimit).status, ParseStatus::kIncomplete) << prefix;
      EXPECT_EQ(ParseRequest(prefix, true, kLimit).status, ParseStatus::kMalformed) << prefix;
    }
  }
}

TEST(RequestFormat, MalformedTruncatedAndOversizedRequests) {
  struct Row {
    const char* name;
    std::string bytes;
    bool ended;
    ParseStatus status;
  };
  const ParseStatus bad = ParseStatus::kMalformed;
  const std::string big = std::to_string(kLimit + 1);
  const std::vector<Row> rows = {
      {"exact size limit", "QLH1 write-hosts " + std::to_string(kLimit) + "\n", false,
       ParseStatus::kIncomplete},
      {"one byte over the limit", "QLH1 write-hosts " + big + "\n", false, ParseStatus::kTooLarge},
      {"a length that would overflow", "QLH1 write-hosts 99999999999999999999999\n", false,
       ParseStatus::kTooLarge},
      {"wrong magic", "QLH2 write-hosts 0\n", true, bad},
      {"wrong magic seen early", "GET / HTTP", false, bad},
      {"unknown verb", "QLH1 write-passwd 3\nabc", true, bad},
      {"unknown verb seen early", "QLH1 read", false, bad},
      {"verb in capitals", "QLH1 WRITE-HOSTS 0\n", true, bad},
      {"no length", "QLH1 write-hosts\n", true, bad},
      {"negative length", "QLH1 write-hosts -1\n", true, bad},
      {"signed length", "QLH1 write-hosts +1\nx", true, bad},
      {"leading zero", "QLH1 write-hosts 01\nx", true, bad},
      {"hexadecimal length", "QLH1 write-hosts 0x1\nx", true, bad},
      {"two blanks", "QLH1  write-hosts 1\nx", true, bad},
      {"trailing blank", "QLH1 write-hosts 1 \nx", true, bad},
      {"CR before the LF", "QLH1 write-hosts 1\r\nx", true, bad},
      {"a port request with a body", "QLH1 listen-port-80 2\n81", true, bad},
      {"an HTTPS port request with a body", "QLH1 listen-port-443 1\n8", true, bad},
      {"a port the helper has no verb for", "QLH1 listen-port-22 0\n", true, bad},
      {"bytes after the body", "QLH1 write-hosts 1\nab", false, bad},
      {"a second request after the first", "QLH1 listen-port-80 0\nQLH1 listen-port-80 0\n", false,
       bad},
      {"header without a line end", std::string(kMaxHeader, 'Q'), false, bad},
      {"header too long", "QLH1 write-hosts " + std::string(50, '1') + "\n", false, bad},
      {"NUL in the header", std::string("QLH1\0write-hosts 0\n", 19), true, bad},
      {"a body with NUL and LF is fine", std::string("QLH1 write-hosts 3\n\0\n\0", 22), true,
       ParseStatus::kComplete},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ParseRequest(row.bytes, row.ended, kLimit).status, row.status) << row.name;
  }
}

TEST(ReplyFormat, RoundTripsAndRejectsWhatIsNoReply) {
  struct Row {
    std::string line;
    bool parses;
    bool ok = false;
    int descriptors = 0;
    std::string code = {}, message = {};
  };
  const std::vector<Row> rows = {
      {"ok 2", true, true, 2, "", ""},
      {"ok x", false},
      {"ok 999", false},
      {"okay", false},
      {"error", false},
      {"error  no code", false},
      {"error refused", false},
      {"", false},
  };
  for (const Row& row : rows) {
    auto reply = ParseReply(row.line);
    ASSERT_EQ(reply.has_value(), row.parses) << row.line;
    if (!reply) continue;
    EXPECT_EQ(std::tuple(reply->ok, reply->descriptors, reply->code, reply->message),
              std::tuple(row.ok, row.descriptors, row.code, row.message));
  }
  // A message is one line whatever it held.
  const std::string error = EncodeError("refused", "a\r\nb\tc");
  EXPECT_EQ(error, "error refused a  b c\n");
  EXPECT_EQ(EncodeOk(2), "ok 2\n");
  EXPECT_EQ(ParseReply(error.substr(0, error.size() - 1))->message, "a  b c");
}

}  // namespace
}  // namespace quorlen::helper
