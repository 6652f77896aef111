#include "platform/read_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace quorlen {

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    if (static_cast<size_t>(n) < sizeof buffer) break;
  }
  ::close(fd);
  return bytes;
}

}  // namespace quorlen
