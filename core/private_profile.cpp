#include "core/private_profile.h"

#include <filesystem>

#include "platform/atomic_write.h"
#include "platform/read_file.h"

namespace quorlen {

namespace {

struct FileStamp {
  bool exists = false;
  std::uintmax_t size = 0;
  std::int64_t modified = 0;
};

FileStamp StampOf(const std::string& path) {
  std::error_code error;
  FileStamp stamp;
  if (!std::filesystem::is_regular_file(path, error)) return stamp;
  stamp.size = std::filesystem::file_size(path, error);
  if (error) return stamp;
  auto time = std::filesystem::last_write_time(path, error);
  if (error) return stamp;
  stamp.exists = true;
  stamp.modified = time.time_since_epoch().count();
  return stamp;
}

std::string ReadBytes(const std::string& path) {
  return ReadWholeFile(path).value_or(std::string());
}

}  // namespace

ProfileStore::Cached& ProfileStore::Load(const std::string& path, bool forceCheck) {
  auto now = std::chrono::steady_clock::now();
  auto [it, fresh] = cache_.try_emplace(path);
  Cached& cached = it->second;
  if (!fresh && !forceCheck && now - cached.checked < kRecheckInterval) return cached;
  FileStamp stamp = StampOf(path);
  cached.checked = now;
  if (!fresh && stamp.exists == cached.existed && stamp.size == cached.size &&
      stamp.modified == cached.modified) {
    return cached;
  }
  cached.existed = stamp.exists;
  cached.size = stamp.size;
  cached.modified = stamp.modified;
  cached.file = std::make_shared<const ProfileFile>(stamp.exists ? std::string_view(ReadBytes(path))
                                                                 : std::string_view());
  return cached;
}

std::string ProfileStore::ReadText(const std::string& path) {
  return StampOf(path).exists ? ReadBytes(path) : std::string();
}

std::string ProfileStore::ReadOnce(const std::string& section, const std::string& key,
                                   const std::string& defaultValue, const std::string& path,
                                   size_t bufferSize) {
  return ScanProfileString(ReadText(path), section, key, defaultValue, bufferSize);
}

ProfileStore::Snapshot ProfileStore::Open(const std::string& path) {
  return Load(path, false).file;
}

std::string ProfileStore::GetPrivateProfileString(const std::string& section,
                                                  const std::string& key,
                                                  const std::string& defaultValue,
                                                  const std::string& path, size_t bufferSize) {
  return Open(path)->GetString(section, key, defaultValue, bufferSize);
}

bool ProfileStore::Apply(const std::string& path, const ProfileEdits& edits) {
  Cached& cached = Load(path, true);
  // Nobody else holds the cached form: edit it in place rather than copying a large list.
  // If a write fails the cache entry is dropped, so a half-edited form is never read.
  std::shared_ptr<ProfileFile> owned = cached.file.use_count() == 1
                                           ? std::const_pointer_cast<ProfileFile>(cached.file)
                                           : std::make_shared<ProfileFile>(*cached.file);
  cached.file.reset();
  ProfileFile& edited = *owned;
  for (const auto& edit : edits.edits_) {
    if (edit.value) {
      edited.SetValue(edit.section, edit.key, *edit.value);
    } else {
      edited.DeleteKey(edit.section, edit.key);
    }
  }
  std::string bytes = edited.Serialize();
  if (!WriteFileAtomically(path, bytes).ok) {
    cache_.erase(path);
    return false;
  }
  FileStamp stamp = StampOf(path);
  cached.existed = stamp.exists;
  cached.size = stamp.size;
  cached.modified = stamp.modified;
  cached.checked = std::chrono::steady_clock::now();
  cached.file = std::move(owned);
  return true;
}

bool ProfileStore::WritePrivateProfileString(const std::string& section, const std::string& key,
                                             const std::optional<std::string>& value,
                                             const std::string& path) {
  ProfileEdits edits;
  if (value) {
    edits.Set(section, key, *value);
  } else {
    edits.Delete(section, key);
  }
  return Apply(path, edits);
}

bool ProfileStore::DeleteSection(const std::string& section, const std::string& path) {
  Cached& cached = Load(path, true);
  ProfileFile edited(*cached.file);
  edited.DeleteSection(section);
  bool ok = WriteFileAtomically(path, edited.Serialize()).ok;
  cache_.erase(path);
  return ok;
}

}  // namespace quorlen
