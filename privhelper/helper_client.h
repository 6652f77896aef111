#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "privhelper/protocol.h"

namespace quorlen::helper {

// Where systemd (or the standalone helper) listens for the program's requests.
inline constexpr std::string_view kSocketPath = "/run/quorlen-helper.sock";

struct Answer {
  bool reached = false;  // the helper answered with a reply line
  Reply reply;
  std::vector<int> descriptors;  // the caller owns them
  bool listening = false;        // something took the connection on the socket
  std::string failure;           // why there is no reply, in words for the user
};

// Sends one request to the helper and waits for its reply: all of it, from the connection
// to the reply's line end, within `deadline`.
Answer AskHelper(const std::string& socketPath, Verb verb, std::string_view body,
                 std::chrono::milliseconds deadline);

}  // namespace quorlen::helper
