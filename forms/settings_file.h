#pragma once

#include <functional>
#include <string>

#include "core/frm_stats.h"
#include "core/private_profile.h"
#include "forms/program_state.h"
#include "forms/settings_window.h"

namespace quorlen {

// The settings file "quorlen.ini": read once while the main window loads, putting every
// value into the settings window's controls, and written by Save whenever an option or
// a counter changes.
class SettingsFile {
 public:
  SettingsFile(ProfileStore& profiles, const ProgramPaths& paths, ProgramOptions& options,
               SettingsWindow& window, frmStats& stats, const bool& bLoading);

  void LoadSettings();
  // Writes every setting; does nothing while the main window loads.
  void Save();

  // Where the loaded "bMinimized" sends the settings window.
  std::function<void()> HideToTray;
  std::function<void()> ShowSettings;

 private:
  std::string Read(const std::string& key, const std::string& defaultValue);
  void ReadBoolean(const std::string& key, const std::string& defaultValue, bool& member);
  void LoadListCounts();

  ProfileStore& profiles_;
  const ProgramPaths& paths_;
  ProgramOptions& options_;
  SettingsWindow& window_;
  frmStats& stats_;
  const bool& bLoading_;
};

}  // namespace quorlen
