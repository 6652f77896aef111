#pragma once

#include <string>
#include <string_view>

namespace quorlen {

struct AtomicWriteResult {
  bool ok = false;
  // True when the target could not be renamed over (a mount point, as in containers)
  // and was rewritten in place from a complete temporary copy.
  bool rewroteInPlace = false;
};

// Replaces the file at `path` by `content` so that a crash at any instant leaves either
// the old or the new file: a temporary file in the same folder is written, flushed to
// disk and renamed over the target, keeping the target's permissions and owner.
AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view content);

}  // namespace quorlen
