#pragma once

#include <map>
#include <string>

#include "platform/shell.h"

namespace quorlen {

// A shell whose start-up folder is a map of shortcut files.
class FakeShell : public Shell {
 public:
  std::string StartupFolder() override { return startupFolder; }
  bool SaveShortcut(const ShortcutFile& shortcut) override {
    if (!scriptHostAvailable) return false;
    shortcuts[shortcut.path] = shortcut;
    return true;
  }
  bool DeleteFile(const std::string& path, std::string& error) override {
    if (shortcuts.erase(path) == 0) {
      error = "File not found";
      return false;
    }
    return true;
  }
  bool DefaultBrowserIsTracked() override { return trackedBrowserIsDefault; }

  std::string startupFolder = "/home/user/.config/autostart";
  std::map<std::string, ShortcutFile> shortcuts;
  bool scriptHostAvailable = true;
  bool trackedBrowserIsDefault = false;
};

}  // namespace quorlen
