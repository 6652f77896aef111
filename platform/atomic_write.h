#pragma once

#include <string>
#include <string_view>

namespace quorlen {

struct AtomicWriteResult {
  bool ok = false;
  // True when the target could not be renamed over (a mount point, as in containers)
  // and was rewritten in place from a complete copy beside it.
  bool rewroteInPlace = false;
};

// Replaces the file at `path` by `content` so that a crash at any instant leaves either
// the old or the new file: a temporary file in the same folder is written, flushed to
// disk and renamed over the target, keeping the target's permissions and owner.
//
// Where the target cannot be renamed over, the flushed copy is first renamed to the
// target's pending name (PendingCopyOf) and only then is the target rewritten in place;
// the pending copy goes once the target is flushed. A crash in between leaves a target
// that RecoverInterruptedWrite completes from that copy.
AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view content);

// What a start-up recovery found and did for one file.
struct RecoveryResult {
  bool finished = false;  // an interrupted in-place write was completed
  int removedTemporaries = 0;
};

// Completes an in-place write of `path` that a crash interrupted, from its pending copy,
// and removes the temporary files earlier writes of `path` left behind. Call it before
// the file is read, and only while no write of this program can be under way (at start,
// once this copy of the program knows it is the only one).
RecoveryResult RecoverInterruptedWrite(const std::string& path);

// The complete new content of `path` while it is rewritten in place: "<folder>/.<name>.qlpending".
std::string PendingCopyOf(const std::string& path);

// True for the name of a temporary file a write of a file named `targetName` makes:
// "." + the name + "." + six letters or digits.
bool IsTemporaryNameOf(std::string_view fileName, std::string_view targetName);

// The instants of a write at which a crash hurts most. Test programs stop the writer
// there to prove that nothing is lost; the program itself sets no hook.
enum class WriteStep {
  kTemporaryWritten,  // the flushed temporary copy exists; the target is untouched
  kPendingCopyMade,   // the temporary copy has become the pending copy
  kTargetOpened,      // the target has just been opened and truncated for the rewrite
  kTargetWritten,     // the target holds the new content; the pending copy is still there
};
using WriteStepHook = void (*)(WriteStep step, const std::string& path);
void SetWriteStepHook(WriteStepHook hook);

}  // namespace quorlen
