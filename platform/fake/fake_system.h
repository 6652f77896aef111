#pragma once

#include <string>

#include "platform/system.h"

namespace quorlen {

// A Windows-like machine for tests: the program file, the Windows folder and the platform
// are what the test sets, and the hosts path follows the Windows rule.
class FakeSystemInfo : public SystemInfo {
 public:
  std::string ProgramFile() override { return programFile; }
  // The program's own folder unless the test names another.
  std::string DataFolder() override {
    if (!dataFolder.empty()) return dataFolder;
    auto cut = programFile.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : programFile.substr(0, cut);
  }
  std::string WindowsFolder() override { return windowsFolder; }
  std::string HostsFile(bool isNT, const std::string& folder) override;
  int OsPlatform() override { return platform; }
  std::string OsName() override { return osName; }
  std::string OsRelease() override { return osRelease; }
  std::string TempFolder() override { return tempFolder; }
  std::string MachineName() override { return machineName; }

  std::string programFile = "/tmp/quorlen/quorlen";
  std::string dataFolder;
  std::string windowsFolder = "/tmp/windows";
  // When set, the hosts file lives here instead of below the Windows folder.
  std::string hostsFile;
  int platform = 2;
  std::string osName;
  std::string osRelease;
  std::string tempFolder = "/tmp";
  std::string machineName;
};

class FakeFirstStartRecord : public FirstStartRecord {
 public:
  bool StartedBefore() override { return startedBefore; }
  void RecordStart() override {
    startedBefore = true;
    ++records;
  }
  bool startedBefore = false;
  int records = 0;
};

class FakeSingleInstance : public SingleInstance {
 public:
  bool Acquire() override { return !otherCopyRunning; }
  bool otherCopyRunning = false;
};

}  // namespace quorlen
