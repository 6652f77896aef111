#pragma once

#include <string>

namespace quorlen {

// The desktop's start-up entry for the program, the stand-in for a shortcut in the
// user's StartUp folder.
struct ShortcutFile {
  std::string path;              // the shortcut file
  std::string targetPath;        // the program to start
  std::string workingDirectory;  // the folder it starts in
  int windowStyle = 4;
  std::string iconLocation;
};

class Shell {
 public:
  virtual ~Shell() = default;

  // Folder of the current user's start-up entries ("StartUp" special folder).
  virtual std::string StartupFolder() = 0;
  // Writes the shortcut, replacing one of the same name. False when that is impossible.
  virtual bool SaveShortcut(const ShortcutFile& shortcut) = 0;
  // Deletes a file; on failure `error` describes why, in the words of the system.
  virtual bool DeleteFile(const std::string& path, std::string& error) = 0;

  // True when the default web browser is the one whose popups the program follows.
  virtual bool DefaultBrowserIsTracked() = 0;
};

}  // namespace quorlen
