#pragma once

#include <cstdlib>
#include <string>

namespace quorlen {

// The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
inline std::string ConfigFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) return config;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config";
}

// The profile folder the launcher gives `browser` ("chromium" or "firefox").
inline std::string LauncherProfileFolder(const std::string& browser) {
  return ConfigFolder() + (browser == "firefox" ? "/quorlen/firefox" : "/quorlen/browser");
}

// The folder of the launchers' sockets, "$XDG_RUNTIME_DIR/quorlen"; empty when the
// session has no runtime folder. The runtime folder is the user's alone, and so is this one.
inline std::string LauncherSocketFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || *runtime != '/') return {};
  return std::string(runtime) + "/quorlen";
}

// The socket over which the launcher of `browser` serves the program; empty without a
// runtime folder.
inline std::string LauncherSocketPath(const std::string& browser) {
  std::string folder = LauncherSocketFolder();
  return folder.empty() ? folder : folder + "/" + browser + ".sock";
}

}  // namespace quorlen
