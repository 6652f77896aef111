#pragma once

#include <string>

namespace quorlen {

// What the program asks of the operating system about itself and its machine.
class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // Full path of the running executable.
  virtual std::string ProgramFile() = 0;

  // The folder of the program's settings, lists and shipped data files, where the Windows
  // program used its own folder.
  virtual std::string DataFolder() = 0;

  // The Windows folder, or the folder that stands for it (the hosts file lives below it).
  virtual std::string WindowsFolder() = 0;

  // Path of the hosts file. `isNT` and the Windows folder select it on Windows; other
  // systems have one fixed place.
  virtual std::string HostsFile(bool isNT, const std::string& windowsFolder) = 0;

  // The OS platform identifier: 2 for the NT family and every modern system, 1 for 95/98/ME.
  virtual int OsPlatform() = 0;

  // Name and version of a system that is not Windows ("Linux 6.1.0"); empty on Windows.
  virtual std::string OsName() = 0;
  // The running system's release as it reports it ("6.1.0-28-amd64"); empty on Windows.
  virtual std::string OsRelease() = 0;

  // The folder for the program's short-lived files (pages and lists handed to other
  // programs), one that only this user can enter, without a trailing separator.
  virtual std::string TempFolder() = 0;
  // This machine's own name, which the hosts file must never send elsewhere; empty when
  // the system does not tell.
  virtual std::string MachineName() = 0;
};

// Answers whether the program has started on this computer before, and records it.
class FirstStartRecord {
 public:
  virtual ~FirstStartRecord() = default;
  virtual bool StartedBefore() = 0;
  virtual void RecordStart() = 0;
};

// A named kernel object that only one running copy of the program can hold.
class SingleInstance {
 public:
  virtual ~SingleInstance() = default;
  // True when this process now holds the name; false when another copy has it.
  virtual bool Acquire() = 0;
};

}  // namespace quorlen
