#pragma once

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
  std::string failure;           // why the helper was not reached or its reply unreadable
};

// Sends one request to the helper and waits up to `seconds` for its reply.
Answer AskHelper(const std::string& socketPath, Verb verb, std::string_view body, int seconds = 30);

}  // namespace quorlen::helper
