#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/controls.h"
#include "core/private_profile.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"

namespace quorlen {

// The shared list-file and plain-file functions every list editor and the hosts-file
// code use. A list file holds its count as key "N" of the count section and its
// entries as keys "D0" to "D" N-1 of the entry section.

// Writes the list box's items as a list file, selecting each item in turn (the last one
// stays selected). Keys beyond the new count are left in the file. Always true.
bool SaveListToIni(ListBox& list, const std::string& countSection, const std::string& entrySection,
                   const std::string& path, ProfileStore& profiles);

// Adds the list file's entries, trimmed, to the list box, skipping empty ones. Nothing is
// loaded when "N" is missing, not a number or above 32767. The box is not cleared first.
void LoadListFromIni(ListBox& list, const std::string& countSection,
                     const std::string& entrySection, const std::string& path,
                     ProfileStore& profiles, Dialogs& dialogs);

// Finds the first item equal to `text`, ignoring blanks at both ends and letter case.
bool FindInList(const std::string& text, ListBox& list, std::int16_t& index);

// Replaces the file's content with `text` and one line end (CR LF unless given).
bool WriteTextFile(const std::string& path, const std::string& text,
                   std::string_view lineEnd = "\r\n");
// The whole file as bytes, or empty when there is no such file.
std::string ReadTextFile(const std::string& path);
// The length of what ReadTextFile gives, without reading the file.
std::uintmax_t TextFileLength(const std::string& path);
bool CopyFileOK(const std::string& source, const std::string& target);
// True for an existing ordinary file; folders do not count.
bool FileExists(const std::string& path);

// Opens a text file in the desktop's text editor for the user to read, as the program
// ran Notepad; when no program could be started to show it, says so in a message box.
void ShowTextFile(const std::string& path, Desktop& desktop, Dialogs& dialogs);

}  // namespace quorlen
