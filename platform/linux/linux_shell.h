#pragma once

#include "platform/shell.h"

namespace quorlen {

// The desktop's shell on Linux: XDG autostart entries stand for the StartUp folder's
// shortcuts, and xdg-mime names the default browser.
class LinuxShell : public Shell {
 public:
  std::string StartupFolder() override;
  bool SaveShortcut(const ShortcutFile& shortcut) override;
  bool DeleteFile(const std::string& path, std::string& error) override;
  // The browser whose popups the program follows is the Chromium family: asked of the
  // program the desktop opens web pages (text/html) with.
  bool DefaultBrowserIsTracked() override;
};

// Whether the desktop entry that opens web pages, as xdg-mime names it, is a browser of
// the followed family; letter case does not matter.
bool IsTrackedBrowserEntry(const std::string& desktopEntry);

}  // namespace quorlen
