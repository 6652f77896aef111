#pragma once

#include <optional>
#include <string>

namespace quorlen {

// The bytes of the file at `path`, read with the fewest calls to the system and no copy:
// a read that comes back short ends a regular file, so a small file takes one read and a
// large one two, into a string of its size. Nothing when the file cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace quorlen
