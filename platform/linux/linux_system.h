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
  std::string MachineName() override;

 private:
  std::string dataFolder_;
  std::string OsRelease() override;
  // PrivateFolder(): a page or list handed to another program is read by nobody else, and
  // no other user can have put a file or a link under its name first.
  std::string TempFolder() override;
};

// A folder only this user can enter, for the program's short-lived files and its
// single-instance lock: "$XDG_RUNTIME_DIR/quorlen", else "$XDG_CACHE_HOME/quorlen" (or
// "~/.cache/quorlen"), made with mode 0700 when missing. A place that is not the user's
// own, or that others may write to, is passed over; failing all, a fresh folder of the
// user's own in $TMPDIR or /tmp for this run.
std::string PrivateFolder();

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

// One copy per user: a lock (flock) on "single-instance.lock" in the user's PrivateFolder,
// which no other user can enter, so nobody else can hold it first. The kernel drops the
// lock when the process ends, however it ends; programs the program starts do not inherit
// it.
class LinuxSingleInstance : public SingleInstance {
 public:
  ~LinuxSingleInstance() override;
  bool Acquire() override;

 private:
  int fd_ = -1;
};

}  // namespace quorlen
