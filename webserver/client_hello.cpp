#include "webserver/client_hello.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorlen {

namespace {

constexpr unsigned char kHandshakeRecord = 22;
constexpr unsigned char kClientHelloMessage = 1;
constexpr std::size_t kRecordHeader = 5;
constexpr std::size_t kHandshakeHeader = 4;
constexpr std::size_t kMaxRecord = 1u << 14;  // the most a TLS record may carry
constexpr std::uint16_t kServerNameExtension = 0;
constexpr unsigned char kHostNameType = 0;

std::size_t Byte(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

// Big-endian numbers and length-prefixed vectors, read front to back; a read past the end
// empties the cursor and marks it broken.
class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : rest_(bytes) {}
  bool ok() const { return ok_; }
  bool empty() const { return rest_.empty(); }

  std::size_t Number(std::size_t bytes) {
    std::string_view digits = Take(bytes);
    std::size_t value = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) value = value << 8 | Byte(digits, i);
    return value;
  }
  std::string_view Take(std::size_t count) {
    if (!ok_ || count > rest_.size()) {
      ok_ = false;
      rest_ = {};
      return {};
    }
    std::string_view taken = rest_.substr(0, count);
    rest_.remove_prefix(count);
    return taken;
  }
  std::string_view Vector(std::size_t lengthBytes) { return Take(Number(lengthBytes)); }

 private:
  std::string_view rest_;
  bool ok_ = true;
};

// A DNS host name as a client names its server: labels of letters, digits, "-" and "_"
// (which some ad servers use), no empty label and no trailing dot, and never an IPv4
// address, which a client must not send as a name.
bool IsHostName(std::string_view name) {
  if (name.empty() || name.size() > 253) return false;
  std::size_t labelStart = 0;
  bool allDigits = true;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '.') {
      const std::size_t length = i - labelStart;
      if (length == 0 || length > 63) return false;
      if (i == name.size()) return !allDigits;
      labelStart = i + 1;
      allDigits = true;
      continue;
    }
    const char c = name[i];
    const bool digit = c >= '0' && c <= '9';
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!digit && !letter && c != '-' && c != '_') return false;
    allDigits = allDigits && digit;
  }
  return false;
}

// The host name of a server_name extension's list; nothing when the list names none, or
// broken when it is no list or names two hosts.
struct NameInList {
  bool ok = true;
  std::optional<std::string_view> host;
};

NameInList HostNameIn(std::string_view extension) {
  Cursor list(extension);
  Cursor names(list.Vector(2));
  NameInList found;
  if (!list.ok() || !list.empty() || names.empty()) return {false, {}};
  while (!names.empty()) {
    const std::size_t type = names.Number(1);
    std::string_view value = names.Vector(2);
    if (!names.ok()) return {false, {}};
    if (type != kHostNameType) continue;
    if (found.host || value.empty()) return {false, {}};
    found.host = value;
  }
  return found;
}

}  // namespace

ClientHelloReader::Status ClientHelloReader::Fail(Status status, const char* reason) {
  status_ = status;
  reason_ = reason;
  return status_;
}

ClientHelloReader::Status ClientHelloReader::Add(std::string_view bytes) {
  while (status_ == Status::kNeedMore && !bytes.empty()) {
    if (recordLeft_ == 0) {
      // A record header, judged byte by byte, so that what is no TLS is refused at once.
      recordHeader_ += bytes.front();
      bytes.remove_prefix(1);
      ++taken_;
      const std::size_t got = recordHeader_.size();
      if (got == 1 && Byte(recordHeader_, 0) != kHandshakeRecord) {
        return Fail(Status::kMalformed, "not a TLS handshake");
      }
      if (got == 2 && Byte(recordHeader_, 1) != 3) {
        return Fail(Status::kMalformed, "not a TLS version");
      }
      if (got == kRecordHeader) {
        recordLeft_ = Byte(recordHeader_, 3) << 8 | Byte(recordHeader_, 4);
        recordHeader_.clear();
        // An empty handshake record is forbidden, which also bounds the number of records.
        if (recordLeft_ == 0 || recordLeft_ > kMaxRecord) {
          return Fail(Status::kMalformed, "impossible record length");
        }
      }
    } else {
      const std::size_t piece = std::min({recordLeft_, bytes.size(), kMaxBytes - taken_});
      hello_.append(bytes.substr(0, piece));
      bytes.remove_prefix(piece);
      recordLeft_ -= piece;
      taken_ += piece;
      if (Byte(hello_, 0) != kClientHelloMessage) {
        return Fail(Status::kMalformed, "not a ClientHello");
      }
      if (hello_.size() >= kHandshakeHeader) {
        const std::size_t length = Byte(hello_, 1) << 16 | Byte(hello_, 2) << 8 | Byte(hello_, 3);
        if (length > kMaxHello) return Fail(Status::kTooLarge, "ClientHello too large");
        if (hello_.size() >= kHandshakeHeader + length) {
          hello_.resize(kHandshakeHeader + length);
          return Judge();
        }
      }
    }
    if (taken_ >= kMaxBytes) return Fail(Status::kTooLarge, "ClientHello in too many records");
  }
  return status_;
}

ClientHelloReader::Status ClientHelloReader::Judge() {
  Cursor hello(std::string_view(hello_).substr(kHandshakeHeader));
  const std::size_t version = hello.Number(2);
  hello.Take(32);  // the client's random
  const std::string_view session = hello.Vector(1);
  const std::string_view suites = hello.Vector(2);
  const std::string_view compression = hello.Vector(1);
  if (!hello.ok() || version >> 8 != 3 || session.size() > 32 || suites.size() < 2 ||
      suites.size() % 2 != 0 || compression.empty()) {
    return Fail(Status::kMalformed, "broken ClientHello");
  }
  // Clients of TLS 1.2 and older may send no extensions at all.
  if (hello.empty()) return Fail(Status::kNoServerName, "no server name");
  Cursor extensions(hello.Vector(2));
  if (!hello.ok() || !hello.empty()) return Fail(Status::kMalformed, "broken extensions");

  std::vector<std::size_t> types;
  std::optional<std::string_view> host;
  while (!extensions.empty()) {
    const std::size_t type = extensions.Number(2);
    const std::string_view data = extensions.Vector(2);
    if (!extensions.ok()) return Fail(Status::kMalformed, "broken extension");
    types.push_back(type);
    if (type != kServerNameExtension) continue;
    NameInList named = HostNameIn(data);
    if (!named.ok) return Fail(Status::kMalformed, "broken server name");
    host = named.host;
  }
  std::sort(types.begin(), types.end());
  if (std::adjacent_find(types.begin(), types.end()) != types.end()) {
    return Fail(Status::kMalformed, "an extension twice");
  }
  if (!host) return Fail(Status::kNoServerName, "no server name");
  if (!IsHostName(*host)) return Fail(Status::kMalformed, "a server name that is no host name");
  serverName_ = std::string(*host);
  hello_.clear();
  hello_.shrink_to_fit();
  status_ = Status::kServerName;
  return status_;
}

}  // namespace quorlen
