#pragma once

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/loopback_port.h"
#include "tests/support/temp_folder.h"

namespace quorlen::testing_support {

// The helper program on a socket in the test's folder, for the hosts file "hosts" there and
// two free ports standing for 80 and 443, logging to "helper.log"; ended with the test.
class RunningHelper {
 public:
  explicit RunningHelper(const TempFolder& folder)
      : socket_(folder.File("helper.sock")), port_(FreeLoopbackPort()) {
    do httpsPort_ = FreeLoopbackPort();
    while (httpsPort_ == port_);
    helper_ = std::make_unique<Child>(
        std::vector<std::string>{QUORLEN_HELPER_PROGRAM, "--socket", socket_, "--hosts",
                                 folder.File("hosts"), "--port", std::to_string(port_),
                                 "--https-port", std::to_string(httpsPort_)},
        folder.File("helper.log"));
    // The socket file appears when the helper binds it, a moment before it listens.
    WaitFor([&] { return Answers(socket_); }, 5000);
  }
  ~RunningHelper() {
    helper_->Kill(SIGTERM);
    helper_->ExitCode(10000);
  }

  int Port() const { return port_; }
  int HttpsPort() const { return httpsPort_; }
  const std::string& Socket() const { return socket_; }

 private:
  static bool Answers(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool answers = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
  }

  std::string socket_;
  int port_;
  int httpsPort_ = 0;
  std::unique_ptr<Child> helper_;
};

}  // namespace quorlen::testing_support
