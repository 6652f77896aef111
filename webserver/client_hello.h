#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorlen {

// Reads the first bytes a TLS client sends on port 443, its ClientHello, far enough to learn
// the server name it asks for (the server_name extension), and no further: nothing is
// decrypted, nothing is answered but a refusal. The hello may come in any number of pieces
// and TLS records; it is put together as it arrives, within fixed bounds, and judged as soon
// as it is whole or can no longer become a hello.
class ClientHelloReader {
 public:
  enum class Status {
    kNeedMore,      // a valid beginning: more bytes can complete the hello
    kServerName,    // a whole hello that names a server: ServerName()
    kNoServerName,  // a whole, well-formed hello that names none (an address was asked for)
    kMalformed,     // not a TLS ClientHello, or broken within
    kTooLarge,      // larger than any client sends
  };

  // The hello message itself, many times what browsers send today (about 2 KB with their
  // post-quantum key shares).
  static constexpr std::size_t kMaxHello = 16 * 1024;
  // The bytes of the stream, record headers included, before the hello must be whole: a
  // hello cut into records of one byte each takes six times its size.
  static constexpr std::size_t kMaxBytes = 2 * kMaxHello;

  // Takes the next bytes of the stream. Once the status is anything but kNeedMore it stays,
  // and later bytes are not looked at.
  Status Add(std::string_view bytes);
  Status status() const { return status_; }
  // Set with kServerName: the host name exactly as the client sent it.
  const std::string& ServerName() const { return serverName_; }
  // Why the hello was refused, for the debug log; empty while it is not.
  const char* Reason() const { return reason_; }

 private:
  Status Fail(Status status, const char* reason);
  Status Judge();

  Status status_ = Status::kNeedMore;
  std::size_t taken_ = 0;       // bytes of the stream so far
  std::string recordHeader_;    // the record header being read, up to 5 bytes
  std::size_t recordLeft_ = 0;  // bytes of the current record still to come
  std::string hello_;           // the handshake bytes put together from the records
  std::string serverName_;
  const char* reason_ = "";
};

}  // namespace quorlen
