#pragma once

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>

// TLS ClientHellos for tests: the real ones captured from browsers and curl (tests/data/tls),
// and hellos put together field by field, to be broken one field at a time.
namespace quorlen::testing_support {

// The first flight a real client sent: "chromium", "firefox" or "curl".
inline std::string CapturedHello(const std::string& client) {
  std::ifstream in(std::string(QUORLEN_TEST_DATA) + "/tls/" + client + ".bin", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}
inline constexpr const char* kCapturedName = "005.free-counters.co.uk";

// `value` in `bytes` bytes, most significant first.
inline std::string BigEndian(std::size_t value, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xff);
  return out;
}
inline std::string Vector(int lengthBytes, const std::string& body) {
  return BigEndian(body.size(), lengthBytes) + body;
}
inline std::string Extension(std::size_t type, const std::string& data) {
  return BigEndian(type, 2) + Vector(2, data);
}
inline std::string ServerNameExtension(const std::string& name) {
  return Extension(0, Vector(2, std::string(1, '\0') + Vector(2, name)));
}

// A ClientHello (handshake header included) with these extension bytes; without them it
// ends after the compression methods, as TLS 1.2 allows.
inline std::string HelloMessage(const std::string& extensions, bool withExtensions = true) {
  std::string body = BigEndian(0x0303, 2) + std::string(32, 'r') + Vector(1, "") +
                     Vector(2, "\x13\x01") + Vector(1, std::string(1, '\0'));
  if (withExtensions) body += Vector(2, extensions);
  return "\x01" + Vector(3, body);
}

// The handshake bytes in TLS records of at most `recordSize` bytes each.
inline std::string InRecords(const std::string& handshake, std::size_t recordSize = 1u << 14) {
  std::string out;
  for (std::size_t at = 0; at < handshake.size(); at += recordSize) {
    const std::string piece = handshake.substr(at, recordSize);
    out += "\x16\x03\x01" + Vector(2, piece);
  }
  return out;
}

// The handshake bytes of a capture that is one record, as most clients send it.
inline std::string HandshakeOf(const std::string& oneRecord) { return oneRecord.substr(5); }

}  // namespace quorlen::testing_support
