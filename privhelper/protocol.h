#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quorlen::helper {

// The request format between the program and quorlen-helper. One request per connection
// on the helper's Unix stream socket; the client half-closes after sending it.
//
//   request := "QLH1 " verb " " length LF body
//   verb    := "write-hosts" | "write-backup" | "write-full-copy" | "listen-port-80"
//            | "listen-port-443"
//   length  := decimal byte count of body, no sign, no leading zero, at most the limit
//              the helper sets (what its hosts-file rule can accept over the current file)
//   body    := exactly `length` bytes: the complete new text of the file;
//              the listen verbs carry none (length 0)
//
//   reply   := "ok" [" " count] LF          count: descriptors attached (listen verbs)
//            | "error " code " " message LF
//
// The header line, LF included, is at most kMaxHeader bytes. The listening descriptors
// travel as SCM_RIGHTS on the first byte of the reply. Nothing after the body is allowed.
// The helper answers only the user of the active local session; anyone else gets
// "error not-allowed" before a byte of the request is read.

inline constexpr std::string_view kMagic = "QLH1";
inline constexpr std::size_t kMaxHeader = 64;

enum class Verb { kWriteHosts, kWriteBackup, kWriteFullCopy, kListenPort80, kListenPort443 };

std::string_view VerbName(Verb verb);
// The verbs that ask for listening sockets and carry no body.
bool IsListenVerb(Verb verb);

struct Request {
  Verb verb = Verb::kWriteHosts;
  std::string body;
};

enum class ParseStatus {
  kComplete,    // one whole request, nothing more
  kIncomplete,  // a valid beginning; more bytes can complete it
  kMalformed,
  kTooLarge,  // the declared body is longer than the limit
};

struct ParseResult {
  ParseStatus status = ParseStatus::kIncomplete;
  Request request;           // set when complete
  std::size_t expected = 0;  // header plus declared body, once the header is known
  std::string reason;        // why it is malformed or too large
};

// Reads the bytes received so far. With `ended` the peer has sent everything: a request
// still incomplete then is malformed (truncated). Decides as early as it can, so an
// oversized or malformed header is refused before its body is read; a body may have at
// most `maxBody` bytes.
ParseResult ParseRequest(std::string_view bytes, bool ended, std::size_t maxBody);

std::string EncodeRequest(Verb verb, std::string_view body);

// Error codes of the reply, one word each.
namespace error_code {
inline constexpr std::string_view kMalformed = "malformed";
inline constexpr std::string_view kTooLarge = "too-large";
inline constexpr std::string_view kNotAllowed = "not-allowed";
inline constexpr std::string_view kBusy = "busy";
inline constexpr std::string_view kTimeout = "timeout";
inline constexpr std::string_view kRefused = "refused";
inline constexpr std::string_view kExists = "exists";
inline constexpr std::string_view kWriteFailed = "write-failed";
inline constexpr std::string_view kPortInUse = "port-in-use";
inline constexpr std::string_view kPortFailed = "port-failed";
}  // namespace error_code

struct Reply {
  bool ok = false;
  int descriptors = 0;
  std::string code;
  std::string message;
};

std::string EncodeOk(int descriptors = 0);
// The message is kept to one line: line ends and other control characters become blanks.
std::string EncodeError(std::string_view code, std::string_view message);
// The reply line without its LF; nothing when it is not a reply.
std::optional<Reply> ParseReply(std::string_view line);

}  // namespace quorlen::helper
