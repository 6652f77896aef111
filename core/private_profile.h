#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/profile_file.h"

namespace quorlen {

// A list of key writes and deletions for one profile file, applied in order.
class ProfileEdits {
 public:
  void Set(std::string section, std::string key, std::string value) {
    edits_.push_back({std::move(section), std::move(key), std::move(value)});
  }
  void Delete(std::string section, std::string key) {
    edits_.push_back({std::move(section), std::move(key), std::nullopt});
  }
  bool Empty() const { return edits_.empty(); }

 private:
  friend class ProfileStore;
  struct Edit {
    std::string section;
    std::string key;
    std::optional<std::string> value;  // nothing deletes the key
  };
  std::vector<Edit> edits_;
};

// The program's one door to its settings and list files. A file is parsed once and kept
// while it is unchanged on disk, as Windows caches the profile it last read, so reading
// a 32,767-entry list key by key costs one parse. Every write replaces the whole file
// atomically.
class ProfileStore {
 public:
  using Snapshot = std::shared_ptr<const ProfileFile>;

  // GetPrivateProfileString: the value seen through a buffer of `bufferSize` characters,
  // or the default. A missing or unreadable file gives the default.
  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue, const std::string& path,
                                      size_t bufferSize = 250);
  // WritePrivateProfileString: a value writes the key, nothing deletes it. False when the
  // file cannot be written (a missing or read-only folder).
  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::optional<std::string>& value, const std::string& path);
  bool DeleteSection(const std::string& section, const std::string& path);
  // Applies every edit in order and writes the file once.
  bool Apply(const std::string& path, const ProfileEdits& edits);

  // GetPrivateProfileString for a large file of which little is read: one pass over the
  // text as it is on disk, and nothing of it kept.
  std::string ReadOnce(const std::string& section, const std::string& key,
                       const std::string& defaultValue, const std::string& path,
                       size_t bufferSize = 250);
  // The text of a file as the store reads it; empty when it is missing.
  static std::string ReadText(const std::string& path);

  // The parsed file as it is now; an empty file when it is missing.
  Snapshot Open(const std::string& path);
  // Lets go of the parsed file: a large list read once need not stay in memory. The next
  // read parses it again.
  void Forget(const std::string& path) { cache_.erase(path); }

  // Files on disk are looked at again at most this often, so that a loop reading key by
  // key does not stat the file for every key.
  static constexpr std::chrono::milliseconds kRecheckInterval{20};

 private:
  struct Cached {
    Snapshot file;
    std::uintmax_t size = 0;
    std::int64_t modified = 0;
    bool existed = false;
    std::chrono::steady_clock::time_point checked;
  };
  Cached& Load(const std::string& path, bool forceCheck);

  std::unordered_map<std::string, Cached> cache_;
};

}  // namespace quorlen
