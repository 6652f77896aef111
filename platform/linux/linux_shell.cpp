#include "platform/linux/linux_shell.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/linux/desktop_user.h"

namespace quorlen {

std::string LinuxShell::StartupFolder() { return FindDesktopUser().configFolder + "/autostart"; }

bool LinuxShell::SaveShortcut(const ShortcutFile& shortcut) {
  namespace fs = std::filesystem;
  // The entry is the desktop user's, also when the program runs as root for that user:
  // folders made on the way and the file itself are handed to that user.
  DesktopUser user = FindDesktopUser();
  std::vector<fs::path> made;
  std::error_code error;
  for (fs::path folder = fs::path(shortcut.path).parent_path();
       !folder.empty() && !fs::exists(folder, error); folder = folder.parent_path()) {
    made.push_back(folder);
  }
  fs::create_directories(fs::path(shortcut.path).parent_path(), error);
  std::ofstream out(shortcut.path, std::ios::binary | std::ios::trunc);
  // Window style 4 (shown without activation) has no XDG equivalent; the entry starts
  // the program normally and the program hides itself.
  out << "[Desktop Entry]\n"
      << "Type=Application\n"
      << "Name=Quorlen\n"
      << "Exec=\"" << shortcut.targetPath << "\"\n"
      << "Path=" << shortcut.workingDirectory << "\n"
      << "Icon="
      << (std::filesystem::exists(shortcut.iconLocation, error) ? shortcut.iconLocation
                                                                : std::string("quorlen"))
      << "\n"
      // Once the program is uninstalled the desktop skips the entry instead of failing it.
      << "TryExec=" << shortcut.targetPath << "\n"
      << "X-GNOME-Autostart-enabled=true\n";
  out.close();
  bool written = !out.fail();
  if (user.isOtherUser) {
    for (const auto& folder : made) {
      [[maybe_unused]] int changed = ::chown(folder.c_str(), user.uid, user.gid);
    }
    [[maybe_unused]] int changed = ::chown(shortcut.path.c_str(), user.uid, user.gid);
  }
  return written;
}

bool LinuxShell::DeleteFile(const std::string& path, std::string& error) {
  std::error_code code;
  if (std::filesystem::remove(path, code)) return true;
  error = code ? code.message() : "File not found";
  return false;
}

bool LinuxShell::DefaultBrowserIsTracked() {
  FILE* pipe = ::popen("xdg-mime query default text/html 2>/dev/null", "r");
  if (!pipe) return false;
  std::string answer;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) answer += buffer;
  ::pclose(pipe);
  return IsTrackedBrowserEntry(answer);
}

bool IsTrackedBrowserEntry(const std::string& desktopEntry) {
  std::string lower = desktopEntry;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("chromium") != std::string::npos || lower.find("chrome") != std::string::npos;
}

}  // namespace quorlen
