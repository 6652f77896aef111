#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorlen::helper {

// Sends `bytes` on a connected Unix socket with `descriptors` attached (SCM_RIGHTS) to
// its first byte. The receiver gets its own copies; the sender keeps and closes its own.
bool SendWithDescriptors(int socket, std::string_view bytes, const std::vector<int>& descriptors);

// Reads one reply line (up to LF, at most `limit` bytes) and every descriptor that came
// with it, each close-on-exec. Descriptors are kept even when the line is cut short.
struct Received {
  bool ok = false;   // a whole line arrived
  std::string line;  // without its LF
  std::vector<int> descriptors;
};
Received ReceiveLineWithDescriptors(int socket, std::size_t limit);

}  // namespace quorlen::helper
