#include "platform/linux/linux_system.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
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

std::string LinuxSystemInfo::TempFolder() {
  std::string folder;
  if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) folder = tmp;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder.empty() ? "/tmp" : folder;
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
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return true;  // no socket at all: better to run than to refuse to start
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string name = "quorlen.single-instance." + std::to_string(::getuid());
  // A leading NUL puts the name in the abstract namespace: no file is created.
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

}  // namespace quorlen
