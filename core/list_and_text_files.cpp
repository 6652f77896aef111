#include "core/list_and_text_files.h"

#include <filesystem>
#include <fstream>
#include <optional>

#include "core/text.h"
#include "platform/atomic_write.h"
#include "platform/read_file.h"

namespace quorlen {

bool SaveListToIni(ListBox& list, const std::string& countSection, const std::string& entrySection,
                   const std::string& path, ProfileStore& profiles) {
  const int n = list.Count();
  ProfileEdits edits;
  edits.Set(countSection, "N", std::to_string(n));
  for (int i = 0; i < n; ++i) {
    list.SetListIndex(i);
    edits.Set(entrySection, "D" + std::to_string(i), list.Text());
  }
  // The whole list goes to disk in one write; a failure is not reported.
  profiles.Apply(path, edits);
  return true;
}

void LoadListFromIni(ListBox& list, const std::string& countSection,
                     const std::string& entrySection, const std::string& path,
                     ProfileStore& profiles, Dialogs& dialogs) {
  dialogs.SetWaitCursor(true);
  ProfileStore::Snapshot file = profiles.Open(path);
  if (auto n = ToInt16(file->GetString(countSection, "N", "", 250))) {
    for (int i = 0; i < *n; ++i) {
      std::string entry = Trim(file->GetString(entrySection, "D" + std::to_string(i), "", 250));
      if (!entry.empty()) list.AddItem(std::move(entry));
    }
  }
  dialogs.SetWaitCursor(false);
}

bool FindInList(const std::string& text, ListBox& list, std::int16_t& index) {
  index = -1;
  const std::string wanted = LowerCase(Trim(text));
  for (int i = 0; i < list.Count(); ++i) {
    list.SetListIndex(i);
    if (LowerCase(Trim(list.Text())) == wanted) {
      index = static_cast<std::int16_t>(i);
      return true;
    }
  }
  return false;
}

bool WriteTextFile(const std::string& path, const std::string& text, std::string_view lineEnd) {
  return WriteFileAtomically(path, text + std::string(lineEnd)).ok;
}

std::string ReadTextFile(const std::string& path) {
  if (!FileExists(path)) return {};
  return ReadWholeFile(path).value_or(std::string());
}

std::uintmax_t TextFileLength(const std::string& path) {
  if (!FileExists(path)) return 0;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? static_cast<std::uintmax_t>(in.tellg()) : 0;
}

bool CopyFileOK(const std::string& source, const std::string& target) {
  if (!FileExists(source)) return false;
  const std::optional<std::string> bytes = ReadWholeFile(source);
  // Copied through a temporary file, so the target is never seen half written.
  return bytes && WriteFileAtomically(target, *bytes).ok;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

void ShowTextFile(const std::string& path, Desktop& desktop, Dialogs& dialogs) {
  if (desktop.OpenTextFile(path)) return;
  dialogs.MsgBox("Quorlen found no program to show " + path +
                     ": no text editor, terminal or xdg-open could be started.",
                 msgbox::kExclamation, "Quorlen");
}

}  // namespace quorlen
