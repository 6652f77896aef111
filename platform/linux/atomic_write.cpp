#include "platform/atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace quorlen {

namespace {

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

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Rewrites `path` in place from the finished temporary copy; used only where a rename
// over the target cannot work.
bool RewriteInPlace(const std::string& path, std::string_view content) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, content) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  return ok;
}

}  // namespace

AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view content) {
  AtomicWriteResult result;
  std::string folder = FolderOf(path);
  std::string base = path.substr(path.find_last_of('/') == std::string::npos
                                     ? 0
                                     : path.find_last_of('/') + 1);
  std::string temp = folder + "/." + base + ".XXXXXX";
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
  if (::rename(temp.c_str(), path.c_str()) == 0) {
    SyncFolder(folder);
    result.ok = true;
    return result;
  }
  if (errno == EBUSY || errno == EXDEV) {
    result.rewroteInPlace = true;
    result.ok = RewriteInPlace(path, content);
  }
  ::unlink(temp.c_str());
  return result;
}

}  // namespace quorlen
