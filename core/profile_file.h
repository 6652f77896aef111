#pragma once

#include <functional>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorlen {

// One private-profile (.ini) text, parsed once and edited in place the way Windows edits
// it: a written key replaces only its own line, a new key goes after the last key of its
// section, a new section at the end of the file, and every other byte stays as it was.
// Names are case-insensitive and trimmed; the first of two sections or keys of the same
// name is the one that counts.
class ProfileFile {
 public:
  ProfileFile() = default;
  explicit ProfileFile(std::string_view bytes);
  ProfileFile(const ProfileFile& other) : ProfileFile(std::string_view(other.Serialize())) {}
  ProfileFile& operator=(const ProfileFile& other);

  // The value as GetPrivateProfileString returns it through a buffer of `bufferSize`
  // characters (at most bufferSize - 1 are seen), or the default when the key is missing.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue, size_t bufferSize) const;
  // The value itself, untruncated; nothing when the key is missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  std::vector<std::string> SectionNames() const;
  std::vector<std::string> KeyNames(std::string_view section) const;

  void SetValue(std::string_view section, std::string_view key, std::string_view value);
  void DeleteKey(std::string_view section, std::string_view key);
  void DeleteSection(std::string_view section);

  std::string Serialize() const;
  bool Empty() const { return lines_.empty(); }

 private:
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n", "\r" or "" for a last line without one
  };
  using LineIt = std::list<Line>::iterator;
  struct Key {
    std::string value;  // parsed: trimmed, quotes removed
    LineIt line;
  };
  struct Section {
    std::string name;  // as written, trimmed
    LineIt header;
    LineIt lastKey;                             // the header while the section has no key
    std::unordered_map<std::string, Key> keys;  // by lower-case name, first one wins
    std::vector<std::string> keyOrder;          // lower-case names in file order
  };

  void Parse(std::string_view bytes);
  Section* FindSection(std::string_view section);
  const Section* FindSection(std::string_view section) const;
  void Reindex();

  std::list<Line> lines_;
  std::list<Section> sections_;
  std::unordered_map<std::string, Section*> sectionIndex_;  // by lower-case name
  bool bom_ = false;
};

// Reads one section of a profile text in a single pass, without building the file, as a
// ProfileFile of the same text reads it: `visit(name, value)` runs for every key line of
// the first section of that name, in file order, with the name trimmed as written and the
// value as Find returns it. Names compare case-insensitively, and of two keys of the same
// name the first is the one that counts. For list files of tens of thousands of entries
// read once, where building the file would cost many times the reading.
void ScanProfileSection(
    std::string_view bytes, std::string_view section,
    const std::function<void(std::string_view name, std::string_view value)>& visit);

// GetString's answer for one key, from a single pass over the text.
std::string ScanProfileString(std::string_view bytes, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              size_t bufferSize);

}  // namespace quorlen
