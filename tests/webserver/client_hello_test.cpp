#include "webserver/client_hello.h"

#include <gtest/gtest.h>

#include "tests/support/tls_hello.h"

namespace quorlen {
namespace {

using Status = ClientHelloReader::Status;
using namespace testing_support;

Status Read(const std::string& bytes) {
  ClientHelloReader reader;
  return reader.Add(bytes);
}

// The hellos of Chromium, Firefox and curl name their server however the bytes arrive, and
// no beginning of one is judged before it is whole.
TEST(ClientHelloReader, RealHellosNameTheirServerInAnyPieces) {
  for (const char* client : {"chromium", "firefox", "curl"}) {
    SCOPED_TRACE(client);
    const std::string hello = CapturedHello(client);
    ASSERT_GT(hello.size(), 500u);

    ClientHelloReader whole;
    ASSERT_EQ(whole.Add(hello), Status::kServerName) << whole.Reason();
    EXPECT_EQ(whole.ServerName(), kCapturedName);
    EXPECT_EQ(whole.Add("garbage after the hello"), Status::kServerName);
    EXPECT_EQ(whole.ServerName(), kCapturedName);

    for (std::size_t cut = 0; cut < hello.size(); ++cut) {
      ClientHelloReader split;
      ASSERT_EQ(split.Add(hello.substr(0, cut)), Status::kNeedMore) << "truncated at " << cut;
      ASSERT_EQ(split.Add(hello.substr(cut)), Status::kServerName) << "split at " << cut;
      ASSERT_EQ(split.ServerName(), kCapturedName);
    }
    // The same handshake in many small TLS records, as a client may cut it.
    for (std::size_t recordSize : {1, 7, 300}) {
      ClientHelloReader reader;
      EXPECT_EQ(reader.Add(InRecords(HandshakeOf(hello), recordSize)), Status::kServerName)
          << recordSize << ": " << reader.Reason();
      EXPECT_EQ(reader.ServerName(), kCapturedName);
    }
  }
}

TEST(ClientHelloReader, JudgesWhatIsNoHelloNamingAServer) {
  const std::string name = ServerNameExtension("ads.example");
  const std::string other = Extension(43, "\x02\x03\x04");
  const auto hello = [](const std::string& extensions) {
    return InRecords(HelloMessage(extensions));
  };
  std::string broken = HelloMessage(name);
  broken[6 + 32] = 33;  // a session id longer than TLS allows
  std::string oddSuites = HelloMessage(name);
  oddSuites[6 + 32 + 2] = 3;
  const std::string labels =
      std::string(63, 'a') + "." + std::string(63, 'b') + "." + std::string(63, 'c') + ".";
  struct Row {
    const char* what;
    std::string bytes;
    Status status;
  };
  const Status bad = Status::kMalformed, named = Status::kServerName, none = Status::kNoServerName;
  const auto sni = [&](const std::string& server) { return hello(ServerNameExtension(server)); };
  const std::vector<Row> rows = {
      {"plain HTTP, refused at its first byte", "G", bad},
      {"a record of TLS 2", "\x16\x02", bad},
      {"an empty record", std::string("\x16\x03\x01\x00\x00", 5), bad},
      {"a record longer than TLS allows", "\x16\x03\x01\x40\x01", bad},
      {"a ServerHello", InRecords("\x02" + HelloMessage(name).substr(1)), bad},
      {"a hello too short for its fields", InRecords(std::string("\x01\x00\x00\x02\x03\x03", 6)),
       bad},
      {"a session id of 33 bytes", InRecords(broken), bad},
      {"cipher suites of an odd length", InRecords(oddSuites), bad},
      {"bytes after the extensions",
       InRecords("\x01" + Vector(3, HelloMessage(name).substr(4) + "x")), bad},
      {"an extension longer than the list", hello(name.substr(0, name.size() - 1)), bad},
      {"an extension twice", hello(other + name + other), bad},
      {"the server name twice", hello(name + name), bad},
      {"two host names in one list",
       hello(Extension(0, Vector(2, std::string(1, '\0') + Vector(2, "a.example") +
                                        std::string(1, '\0') + Vector(2, "b.example")))),
       bad},
      {"an empty name", sni(""), bad},
      {"a line end in the name", sni("ads.example\r\nx"), bad},
      {"a trailing dot", sni("ads.example."), bad},
      {"an IPv4 address", sni("127.0.0.1"), bad},
      {"a label of 64 letters", sni(std::string(64, 'a') + ".example"), bad},
      {"a name of 254 letters", sni(labels + std::string(62, 'd')), bad},
      {"a name of 253 letters", sni(labels + std::string(61, 'd')), named},
      {"an underscore and digits", sni("ad_1.0-x.example"), named},
      {"no extensions at all", InRecords(HelloMessage("", false)), none},
      {"extensions without a server name", hello(other), none},
      {"a name of another type only",
       hello(Extension(0, Vector(2, std::string(1, '\x07') + Vector(2, "x")))), none},
  };
  for (const Row& row : rows) EXPECT_EQ(Read(row.bytes), row.status) << row.what;
}

TEST(ClientHelloReader, BoundsTheHelloAndTheStream) {
  const std::string name = ServerNameExtension("ads.example");
  // A hello of exactly the bound, padded, needs two records.
  const std::size_t fixed = HelloMessage(name + Extension(21, "")).size() - 4;
  const std::string atBound =
      HelloMessage(name + Extension(21, std::string(ClientHelloReader::kMaxHello - fixed, '\0')));
  ASSERT_EQ(atBound.size(), ClientHelloReader::kMaxHello + 4);
  EXPECT_EQ(Read(InRecords(atBound)), Status::kServerName);

  // One byte more is refused from its header alone.
  const std::string over = "\x01" + BigEndian(ClientHelloReader::kMaxHello + 1, 3);
  EXPECT_EQ(Read(InRecords(over)), Status::kTooLarge);

  // A small hello cut into records so small that the stream passes its bound.
  const std::string padded = HelloMessage(name + Extension(21, std::string(6000, '\0')));
  ClientHelloReader reader;
  EXPECT_EQ(reader.Add(InRecords(padded, 1)), Status::kTooLarge);
  EXPECT_EQ(reader.Add(InRecords(HelloMessage(name))), Status::kTooLarge) << "the verdict stays";
}

}  // namespace
}  // namespace quorlen
