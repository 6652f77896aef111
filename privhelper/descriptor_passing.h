#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace quorlen::helper {

// Sends `bytes` on a connected Unix socket with `descriptors` attached (SCM_RIGHTS) to
// its first byte. The receiver gets its own copies; the sender keeps and closes its own.
bool SendWithDescriptors(int socket, std::string_view bytes, const std::vector<int>& descriptors);

// Reads one reply line (up to LF, at most `limit` bytes) and every descriptor that came
// with it, each close-on-exec, waiting until `deadline` at most. Descriptors are kept even
// when the line is cut short.
struct Received {
  bool ok = false;        // a whole line arrived
  bool timedOut = false;  // the deadline passed first
  std::string line;       // without its LF
  std::vector<int> descriptors;
};
Received ReceiveLineWithDescriptors(int socket, std::size_t limit,
                                    std::chrono::steady_clock::time_point deadline);

// Waits until the socket is ready for `events` (poll's POLLIN, POLLOUT) or `deadline`
// passes; false then.
bool WaitUntilReady(int socket, short events, std::chrono::steady_clock::time_point deadline);

}  // namespace quorlen::helper
