#include "platform/atomic_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>

namespace quorlen {

namespace {

WriteStepHook stepHook = nullptr;

void Reached(WriteStep step, const std::string& path) {
  if (stepHook) stepHook(step, path);
}

bool WriteAll(int fd, std::string_view content) {
  const char* data = content.data();
  size_t left = content.size();
  while (left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A rename that cannot replace the target because the target is a mount point.
bool TargetIsMounted(int error) { return error == EBUSY || error == EXDEV; }

enum class InPlace { kDone, kTargetUntouched, kTargetDamaged };

// Rewrites `path` in place; used only where a rename over the target cannot work.
InPlace RewriteInPlace(const std::string& path, std::string_view content) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return InPlace::kTargetUntouched;
  Reached(WriteStep::kTargetOpened, path);
  bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  return ok ? InPlace::kDone : InPlace::kTargetDamaged;
}

bool ReadWhole(const std::string& path, std::string& content) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  content.clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      return n == 0;
    }
    content.append(buffer, static_cast<size_t>(n));
  }
}

// Puts the pending copy in the target's place: by a rename where that works, else by a
// rewrite in place. The copy stays until the target is known to hold its content.
bool FinishFromPendingCopy(const std::string& path, const std::string& pending) {
  if (::rename(pending.c_str(), path.c_str()) == 0) {
    SyncFolder(FolderOf(path));
    return true;
  }
  if (!TargetIsMounted(errno)) return false;
  std::string content;
  if (!ReadWhole(pending, content)) return false;
  if (RewriteInPlace(path, content) != InPlace::kDone) return false;
  Reached(WriteStep::kTargetWritten, path);
  ::unlink(pending.c_str());
  SyncFolder(FolderOf(path));
  return true;
}

}  // namespace

void SetWriteStepHook(WriteStepHook hook) { stepHook = hook; }

std::string PendingCopyOf(const std::string& path) {
  return FolderOf(path) + "/." + NameOf(path) + ".qlpending";
}

bool IsTemporaryNameOf(std::string_view fileName, std::string_view targetName) {
  constexpr size_t kRandomPart = 6;  // the X's of the mkostemp pattern
  if (fileName.size() != targetName.size() + 2 + kRandomPart) return false;
  if (fileName[0] != '.' || fileName.substr(1, targetName.size()) != targetName ||
      fileName[1 + targetName.size()] != '.') {
    return false;
  }
  for (char c : fileName.substr(fileName.size() - kRandomPart)) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view content) {
  AtomicWriteResult result;
  const std::string folder = FolderOf(path);
  std::string temp = folder + "/." + NameOf(path) + ".XXXXXX";
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return result;

  struct stat old {};
  bool hadTarget = ::stat(path.c_str(), &old) == 0;
  mode_t mode = hadTarget ? (old.st_mode & 07777) : 0644;
  if (!hadTarget) {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = WriteAll(fd, content) && ::fchmod(fd, mode) == 0;
  if (ok && hadTarget && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
    // Only root can hand a file to another owner; failing that the content still counts.
    [[maybe_unused]] int ignored = ::fchown(fd, old.st_uid, old.st_gid);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    ::unlink(temp.c_str());
    return result;
  }
  Reached(WriteStep::kTemporaryWritten, path);
  if (::rename(temp.c_str(), path.c_str()) == 0) {
    SyncFolder(folder);
    result.ok = true;
    return result;
  }
  if (!TargetIsMounted(errno)) {
    ::unlink(temp.c_str());
    return result;
  }
  // From the moment the pending copy exists, a crash is finished at the next start.
  result.rewroteInPlace = true;
  const std::string pending = PendingCopyOf(path);
  if (::rename(temp.c_str(), pending.c_str()) != 0) {
    ::unlink(temp.c_str());
    return result;
  }
  SyncFolder(folder);
  Reached(WriteStep::kPendingCopyMade, path);
  switch (RewriteInPlace(path, content)) {
    case InPlace::kDone:
      Reached(WriteStep::kTargetWritten, path);
      ::unlink(pending.c_str());
      SyncFolder(folder);
      result.ok = true;
      break;
    case InPlace::kTargetUntouched:
      ::unlink(pending.c_str());  // the old version stands whole
      break;
    case InPlace::kTargetDamaged:
      break;  // the pending copy completes the target at the next start
  }
  return result;
}

RecoveryResult RecoverInterruptedWrite(const std::string& path) {
  RecoveryResult result;
  const std::string pending = PendingCopyOf(path);
  struct stat info {};
  if (::lstat(pending.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    result.finished = FinishFromPendingCopy(path, pending);
  }
  const std::string folder = FolderOf(path);
  const std::string name = NameOf(path);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return result;
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryNameOf(entry->d_name, name)) continue;
    const std::string leftover = folder + "/" + entry->d_name;
    if (::lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::unlink(leftover.c_str()) == 0) {
      ++result.removedTemporaries;
    }
  }
  ::closedir(dir);
  return result;
}

}  // namespace quorlen
