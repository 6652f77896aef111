// Arbitrary bytes as requests to the privileged helper, whole and arriving in two pieces:
// nothing may crash, a complete request re-encodes to exactly the bytes read, and a
// request refused before its end is refused the same way once it has all arrived. The
// bytes are also judged as a new hosts text: a refusal always says why, and what is
// accepted fits in what the helper reads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "privhelper/blocking_change.h"
#include "privhelper/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorlen::helper;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The limit of a small hosts file, so that bodies over and under it both come up.
  const std::size_t limit = 1000;
  ParseResult whole = ParseRequest(bytes, true, limit);
  if (whole.status == ParseStatus::kIncomplete) std::abort();
  if (whole.status == ParseStatus::kComplete) {
    if (EncodeRequest(whole.request.verb, whole.request.body) != bytes) std::abort();
    // The rule holds up to whatever text arrives, and a text always judges itself allowed.
    if (!JudgeBlockingChange(whole.request.body, whole.request.body).accepted) std::abort();
  }
  // A user's line for a name, a blocking line and a comment, in a Windows-made file.
  static const std::string current =
      "10.0.0.5 intranet.example\r\n127.0.0.1 ads.example\r\n# mine\r\n";
  ChangeVerdict verdict = JudgeBlockingChange(current, bytes);
  if (verdict.accepted != verdict.reason.empty()) std::abort();
  if (verdict.accepted && bytes.size() > LargestAcceptedText(current.size())) std::abort();
  // A refusal decided early stands; a request complete early may still get bytes after it.
  ParseResult early = ParseRequest(std::string_view(bytes).substr(0, size / 2), false, limit);
  if ((early.status == ParseStatus::kMalformed || early.status == ParseStatus::kTooLarge) &&
      early.status != whole.status) {
    std::abort();
  }
  if (early.status == ParseStatus::kComplete && whole.status == ParseStatus::kIncomplete) {
    std::abort();
  }
  return 0;
}
