#include "platform/linux/linux_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/data_folder.h"

namespace quorlen {

std::string LinuxSystemInfo::ProgramFile() {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::string LinuxSystemInfo::DataFolder() {
  if (dataFolder_.empty()) dataFolder_ = ChooseDataFolder(ThisProgramsPlaces(ProgramFile()));
  return dataFolder_;
}

std::string LinuxSystemInfo::HostsFile(bool, const std::string&) { return "/etc/hosts"; }

std::string LinuxSystemInfo::OsName() {
  struct utsname name {};
  if (::uname(&name) != 0) return "Linux";
  std::string release = name.release;
  // "6.1.0-28-amd64" is shown as "6.1.0": the version, not the package build.
  auto dash = release.find('-');
  if (dash != std::string::npos) release.resize(dash);
  return std::string(name.sysname) + " " + release;
}

std::string LinuxSystemInfo::OsRelease() {
  struct utsname name {};
  return ::uname(&name) == 0 ? std::string(name.release) : std::string();
}

std::string LinuxSystemInfo::TempFolder() { return PrivateFolder(); }

std::string LinuxSystemInfo::MachineName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  std::string text = value != nullptr && value[0] == '/' ? value : "";
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// A folder of this user's own that nobody else may write to.
bool OwnFolder(const std::string& path, mode_t forbidden) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & forbidden) == 0;
}

// `folder` inside `base`, made 0700 when missing (`base` too, with `makeBase`); false when
// either is not the user's own.
bool MakePrivate(const std::string& base, const std::string& folder, bool makeBase) {
  if (base.empty()) return false;
  if (makeBase) ::mkdir(base.c_str(), 0700);
  if (!OwnFolder(base, S_IWGRP | S_IWOTH)) return false;
  ::mkdir(folder.c_str(), 0700);
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
    return false;
  }
  return (info.st_mode & 077) == 0 || ::chmod(folder.c_str(), 0700) == 0;
}

}  // namespace

std::string PrivateFolder() {
  const std::string runtime = Variable("XDG_RUNTIME_DIR");
  // The session's own folder is the system's to make.
  if (MakePrivate(runtime, runtime + "/quorlen", false)) return runtime + "/quorlen";
  std::string cache = Variable("XDG_CACHE_HOME");
  if (cache.empty() && !Variable("HOME").empty()) cache = Variable("HOME") + "/.cache";
  if (MakePrivate(cache, cache + "/quorlen", true)) return cache + "/quorlen";
  static const std::string fresh = [] {
    std::string tmp = Variable("TMPDIR");
    std::string pattern = (tmp.empty() ? std::string("/tmp") : tmp) + "/quorlen-XXXXXX";
    return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }();
  return fresh;
}

namespace {

std::string UserStateFolder() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
    return std::string(state) + "/quorlen";
  }
  if (const char* home = std::getenv("HOME"); home && *home) {
    return std::string(home) + "/.local/state/quorlen";
  }
  return {};
}

bool WriteRecord(const std::string& file) {
  if (file.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << "first start\n";
  return static_cast<bool>(out);
}

}  // namespace

LinuxFirstStartRecord::LinuxFirstStartRecord() : systemRecord_("/var/lib/quorlen/first-start") {
  auto folder = UserStateFolder();
  if (!folder.empty()) userRecord_ = folder + "/first-start";
}

bool LinuxFirstStartRecord::StartedBefore() {
  std::error_code error;
  return std::filesystem::exists(systemRecord_, error) ||
         (!userRecord_.empty() && std::filesystem::exists(userRecord_, error));
}

void LinuxFirstStartRecord::RecordStart() {
  if (!WriteRecord(systemRecord_)) WriteRecord(userRecord_);
}

LinuxSingleInstance::~LinuxSingleInstance() {
  if (fd_ >= 0) ::close(fd_);
}

bool LinuxSingleInstance::Acquire() {
  if (fd_ >= 0) return true;
  const std::string folder = PrivateFolder();
  // Nowhere to keep a lock: better to run than to refuse to start.
  if (folder.empty()) return true;
  int fd = ::open((folder + "/single-instance.lock").c_str(),
                  O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return !held;
  }
  fd_ = fd;
  return true;
}

}  // namespace quorlen
