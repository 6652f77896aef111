// Arbitrary bytes as the first flight of a TLS client on port 443, read whole and in pieces:
// nothing may crash, the verdict must not depend on how the bytes were cut, a server name
// is always a host name taken from the bytes, and no stream past the bound is left waiting.
// The first byte chooses between the bytes as they are and the bytes as the body of a
// ClientHello cut into records of its choosing, so both the record layer and the hello's
// fields are reached.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "webserver/client_hello.h"

namespace {

using quorlen::ClientHelloReader;

std::string BigEndian(std::size_t value, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xff);
  return out;
}

std::string AsRecords(std::string_view body, std::size_t recordSize) {
  const std::string handshake = "\x01" + BigEndian(body.size(), 3) + std::string(body);
  std::string out;
  for (std::size_t at = 0; at < handshake.size(); at += recordSize) {
    const std::string piece = handshake.substr(at, recordSize);
    out += "\x16\x03\x01" + BigEndian(piece.size(), 2) + piece;
  }
  return out;
}

// The payloads of the stream's records one after another, where the hello's bytes are.
std::string RecordPayloads(std::string_view stream) {
  std::string payloads;
  while (stream.size() >= 5) {
    const std::size_t length =
        static_cast<unsigned char>(stream[3]) << 8 | static_cast<unsigned char>(stream[4]);
    payloads.append(stream.substr(5, length));
    stream.remove_prefix(std::min(stream.size(), 5 + length));
  }
  return payloads;
}

bool IsHostNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view payload(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool wrapped = data[0] & 1;
  const std::string stream =
      wrapped ? AsRecords(payload, 1 + (data[0] >> 1)) : std::string(payload);

  ClientHelloReader whole;
  const ClientHelloReader::Status verdict = whole.Add(stream);

  // The same bytes in pieces of varying sizes.
  ClientHelloReader pieces;
  std::uint32_t state = static_cast<std::uint32_t>(size) * 2654435761u;
  for (std::size_t at = 0; at < stream.size();) {
    state = state * 1664525u + 1013904223u;
    const std::size_t length = 1 + (state >> 24) % 97;
    pieces.Add(std::string_view(stream).substr(at, length));
    at += length;
  }
  if (pieces.status() != verdict || pieces.ServerName() != whole.ServerName()) std::abort();

  if (verdict == ClientHelloReader::Status::kServerName) {
    const std::string& name = whole.ServerName();
    if (name.empty() || name.size() > 253) std::abort();
    if (RecordPayloads(stream).find(name) == std::string::npos) std::abort();
    for (char c : name) {
      if (!IsHostNameCharacter(c)) std::abort();
    }
  } else if (!whole.ServerName().empty()) {
    std::abort();
  }
  if (verdict == ClientHelloReader::Status::kNeedMore &&
      stream.size() >= ClientHelloReader::kMaxBytes) {
    std::abort();
  }
  return 0;
}
