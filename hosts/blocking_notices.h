#pragma once

#include <string_view>

namespace quorlen {

// Told when ad-server blocking has to wait (after the cause), and when it is back.
inline constexpr std::string_view kBlockingWaits =
    "Ad-server blocking stays switched on: Quorlen tries again by itself and blocks the listed "
    "ad servers as soon as quorlen-helper answers and port 80 is free.";
inline constexpr std::string_view kNotBlockedTitle = "Quorlen: ad servers are not blocked";
inline constexpr std::string_view kBlockingBackTitle = "Quorlen: ad servers are blocked again";
inline constexpr std::string_view kBlockingBack =
    "quorlen-helper answers again: Quorlen blocks the listed ad servers.";

}  // namespace quorlen
