#pragma once

#include <string>

#include "platform/privileged.h"
#include "privhelper/protocol.h"

namespace quorlen {

// The program runs as root and changes the machine itself, as it did on Windows.
class DirectPrivileges : public PrivilegedOperations {
 public:
  explicit DirectPrivileges(std::string hostsFile, int port = 80, int httpsPort = 443);
  Outcome WriteHostsFile(std::string_view text) override;
  Outcome WriteHostsBackup(std::string_view text) override;
  Outcome WriteHostsFullCopy(std::string_view text) override;
  Listeners ListenOnPort80() override;
  Listeners ListenOnPort443() override;

 private:
  Outcome Write(const std::string& path, std::string_view text);
  std::string hostsFile_;
  int port_;
  int httpsPort_;
};

// The program runs as the desktop user and asks quorlen-helper on its Unix socket.
class HelperPrivileges : public PrivilegedOperations {
 public:
  explicit HelperPrivileges(std::string socketPath);
  Outcome WriteHostsFile(std::string_view text) override;
  Outcome WriteHostsBackup(std::string_view text) override;
  Outcome WriteHostsFullCopy(std::string_view text) override;
  Listeners ListenOnPort80() override;
  Listeners ListenOnPort443() override;

 private:
  Outcome Write(helper::Verb verb, std::string_view text);
  Listeners Listen(helper::Verb verb);
  std::string socketPath_;
};

}  // namespace quorlen
