#include "platform/linux/linux_shell.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace quorlen {

std::string LinuxShell::StartupFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::string(config) + "/autostart";
  }
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config/autostart";
}

bool LinuxShell::SaveShortcut(const ShortcutFile& shortcut) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(shortcut.path).parent_path(), error);
  std::ofstream out(shortcut.path, std::ios::binary | std::ios::trunc);
  // Window style 4 (shown without activation) has no XDG equivalent; the entry starts
  // the program normally and the program hides itself.
  out << "[Desktop Entry]\n"
      << "Type=Application\n"
      << "Name=Quorlen\n"
      << "Exec=\"" << shortcut.targetPath << "\"\n"
      << "Path=" << shortcut.workingDirectory << "\n"
      << "Icon=" << (std::filesystem::exists(shortcut.iconLocation, error) ? shortcut.iconLocation
                                                                         : std::string("quorlen"))
      << "\n"
      // Once the program is uninstalled the desktop skips the entry instead of failing it.
      << "TryExec=" << shortcut.targetPath << "\n"
      << "X-GNOME-Autostart-enabled=true\n";
  return static_cast<bool>(out);
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
