#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorlen {

// The desktop's own way of naming programs: a desktop entry ("chromium.desktop") found in
// the applications folders of the data folders, whose Exec line starts the program. The
// browser and the text editor the user chose are such entries.
namespace desktop_entry {

// The applications folders to look in, most important first: $XDG_DATA_HOME (else
// ~/.local/share), then each folder of $XDG_DATA_DIRS (else /usr/local/share:/usr/share).
std::vector<std::string> ApplicationFolders(std::string_view dataHome, std::string_view home,
                                            std::string_view dataDirs);

// The file of the entry with this id in the first folder that has it; empty for none.
// An id names a file below a folder with "-" for "/" ("kde-konsole.desktop").
std::string Find(std::string_view id, const std::vector<std::string>& folders);

// The value of `key` in the entry's [Desktop Entry] group; empty when there is none.
std::string Value(std::string_view fileText, std::string_view key);
// The Exec value of the entry's [Desktop Entry] group; empty when there is none.
inline std::string ExecValue(std::string_view fileText) { return Value(fileText, "Exec"); }

// The ids of the entries that say they open `mimeType`, as the folders' mimeinfo.cache
// files list them, most important folder first, each id once.
std::vector<std::string> Handlers(std::string_view mimeType,
                                  const std::vector<std::string>& folders);

// The Exec value as separate arguments, by the desktop entry rules: blanks separate,
// double quotes group, and inside them a backslash escapes the next character. Field codes
// (%u, %U, %f, %F and the others) are dropped, "%%" is a percent sign.
std::vector<std::string> Arguments(std::string_view exec);

// The arguments joined back into one command line that Arguments reads again unchanged;
// an argument with a blank or a quote is quoted.
std::string CommandLine(const std::vector<std::string>& arguments);

}  // namespace desktop_entry

// Starts a program with its arguments, detached: it belongs to no one once started and
// leaves no zombie. The program is looked for on PATH unless it holds a "/". False when
// it could not be started at all (not found, not executable).
bool StartDetached(const std::vector<std::string>& arguments);

}  // namespace quorlen
