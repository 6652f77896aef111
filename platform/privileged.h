#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorlen {

// The changes to the machine that ad-server blocking needs and only the administrator may
// make: the hosts file, its two copies beside it, and listening on ports 80 and 443. The
// program makes them itself when it runs as root, and asks the privileged helper otherwise;
// while the helper works, the program's events run (as in DoEvents), so a caller may be
// entered again meanwhile.
class PrivilegedOperations {
 public:
  virtual ~PrivilegedOperations() = default;

  struct Outcome {
    bool ok = false;
    std::string error;  // why not, in words for the status area and the debug log
  };

  // Replaces the hosts file by `text` atomically, keeping its mode and owner.
  virtual Outcome WriteHostsFile(std::string_view text) = 0;
  // Keeps the user's own hosts file from before blocking (hosts path + "qlb"); an existing
  // copy is never replaced.
  virtual Outcome WriteHostsBackup(std::string_view text) = 0;
  // Keeps the blocking version of the hosts file (hosts path + "qlf").
  virtual Outcome WriteHostsFullCopy(std::string_view text) = 0;

  struct Listeners {
    std::vector<int> descriptors;  // listening on 127.0.0.1 (and ::1); the caller owns them
    std::string error;             // why there are none, naming the port's holder if known
  };
  virtual Listeners ListenOnPort80() = 0;
  virtual Listeners ListenOnPort443() = 0;
};

}  // namespace quorlen
