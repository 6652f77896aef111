#pragma once

#include <cstdint>
#include <string>

#include "core/hosts_copies.h"

namespace quorlen {

// The program's file paths, fixed at start-up: the program folder and the data files
// beside it, and the hosts file with its two copies.
struct ProgramPaths {
  std::string sAppPath;  // the program folder, without a trailing separator
  std::string sSettingsFile;
  std::string sDefaultHostsList;   // quorlenhosts.ini
  std::string sUserHostsList;      // userhosts.ini
  std::string sExclusionsList;     // quorlenhostsexc.ini
  std::string sRemovalsList;       // removals.ini
  std::string sUserTitlesList;     // usertitles.ini
  std::string sDefaultTitlesList;  // qltitles.ini
  std::string sWhiteList;          // userwl.ini
  std::string sHostsFile;

  // The program folder followed by the separator and `name`.
  std::string DataFile(const std::string& name) const { return sAppPath + "/" + name; }
  std::string HostsBackup() const { return HostsBackupOf(sHostsFile); }
  std::string HostsFullCopy() const { return HostsFullCopyOf(sHostsFile); }

  // Derives every path from the program folder.
  void SetProgramFolder(std::string folder);
};

// The option members that mirror the settings file, and the counts shown beside them.
struct ProgramOptions {
  bool bMinimized = false;
  bool bAutoDownload = false;
  bool bBannerSound = false;
  bool bPopSound = false;
  std::string sBannerSound;
  std::string sPopSound;
  std::string sProxyName;
  std::string sProxyPort;
  std::int32_t nTotBlocked = 0;
  std::string sDateUpdate;
  bool bHostsFullySet = false;
  bool bBlockAdServers = false;
  bool bBlockIEPopups = false;

  std::int32_t nTotHosts = 0;
  std::int16_t nDefaultCount = 0;
  std::int16_t nUserCount = 0;
  std::int32_t nBlockedToday = 0;
};

inline void ProgramPaths::SetProgramFolder(std::string folder) {
  sAppPath = std::move(folder);
  sSettingsFile = DataFile("quorlen.ini");
  sDefaultHostsList = DataFile("quorlenhosts.ini");
  sUserHostsList = DataFile("userhosts.ini");
  sExclusionsList = DataFile("quorlenhostsexc.ini");
  sRemovalsList = DataFile("removals.ini");
  sUserTitlesList = DataFile("usertitles.ini");
  sDefaultTitlesList = DataFile("qltitles.ini");
  sWhiteList = DataFile("userwl.ini");
}

}  // namespace quorlen
