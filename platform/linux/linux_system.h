#pragma once

#include <string>

#include "platform/system.h"

namespace quorlen {

// The machine as Linux reports it: the program file from /proc/self/exe, /etc standing
// for the Windows folder, /etc/hosts as the hosts file, and uname for the platform.
class LinuxSystemInfo : public SystemInfo {
 public:
  std::string ProgramFile() override;
  // Chosen and seeded once per run (see data_folder.h).
  std::string DataFolder() override;
  std::string WindowsFolder() override { return "/etc"; }
  std::string HostsFile(bool isNT, const std::string& windowsFolder) override;
  int OsPlatform() override { return 2; }
  std::string OsName() override;

 private:
  std::string dataFolder_;
  std::string OsRelease() override;
  // $TMPDIR, else /tmp.
  std::string TempFolder() override;
};

// The first start on this computer is recorded as a file in /var/lib/quorlen, or in the
// user's state folder when the program cannot write there.
class LinuxFirstStartRecord : public FirstStartRecord {
 public:
  LinuxFirstStartRecord();
  bool StartedBefore() override;
  void RecordStart() override;

 private:
  std::string systemRecord_;
  std::string userRecord_;
};

// One copy per user: an abstract UNIX socket bound to a name made from the user id. The
// kernel drops the name when the process ends, however it ends.
class LinuxSingleInstance : public SingleInstance {
 public:
  ~LinuxSingleInstance() override;
  bool Acquire() override;

 private:
  int fd_ = -1;
};

}  // namespace quorlen
