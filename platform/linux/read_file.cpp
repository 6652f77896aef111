#include "platform/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quorlen {

namespace {

ssize_t ReadSome(int fd, char* into, size_t size) {
  ssize_t n;
  do {
    n = ::read(fd, into, size);
  } while (n < 0 && errno == EINTR);
  return n;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  // Most files read here are small (the placeholder picture at every blocked request):
  // one read into the stack ends them. A larger one is read on straight into a string
  // of its size, one byte more, so that a short read tells its end without another read.
  char first[16384];
  ssize_t n = ReadSome(fd, first, sizeof first);
  std::optional<std::string> bytes;
  if (n >= 0) bytes.emplace(first, static_cast<size_t>(n));
  if (n == static_cast<ssize_t>(sizeof first)) {
    struct stat status {};
    size_t room = ::fstat(fd, &status) == 0 && static_cast<size_t>(status.st_size) >= bytes->size()
                      ? static_cast<size_t>(status.st_size) + 1
                      : 2 * bytes->size();
    for (;;) {
      const size_t have = bytes->size();
      bytes->resize(room);
      n = ReadSome(fd, bytes->data() + have, room - have);
      if (n < 0) {
        bytes.reset();
        break;
      }
      bytes->resize(have + static_cast<size_t>(n));
      if (bytes->size() < room) break;
      room *= 2;  // the file grew while it was read
    }
  }
  ::close(fd);
  return bytes;
}

}  // namespace quorlen
