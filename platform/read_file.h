#pragma once

#include <optional>
#include <string>

namespace quorlen {

// The bytes of the file at `path`, read with the fewest calls to the system: the file is
// opened, read until a read comes back short (which ends a regular file, so a small file
// takes one read) and closed. Nothing when the file cannot be opened.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace quorlen
