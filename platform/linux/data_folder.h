#pragma once

#include <string>

namespace quorlen {

// Where the program keeps its settings, lists and shipped data files. The staged program
// folder of a developer's build is its own data folder when it can be written; an
// installed program (or one in a folder the user cannot write) keeps its data in the
// user's data folder, which gets every shipped file it lacks from the defaults: the
// program's own folder when that holds them, else the installed defaults.
struct DataFolderPlaces {
  std::string programFolder;      // folder of the running executable
  std::string installedDefaults;  // /usr/share/quorlen for an installed program
  std::string userDataHome;       // $XDG_DATA_HOME, else ~/.local/share; empty when unknown
};

// The chosen folder, without a trailing separator. Seeds the user's folder on the way;
// a file already there is never overwritten. Falls back to the program folder when the
// user's folder cannot be made.
std::string ChooseDataFolder(const DataFolderPlaces& places);

// The places of this process: its executable, the build's installed-defaults folder and
// the XDG environment.
DataFolderPlaces ThisProgramsPlaces(const std::string& programFile);

}  // namespace quorlen
