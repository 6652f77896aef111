#include "platform/linux/desktop_user.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace quorlen {

namespace {

std::optional<uid_t> UserNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return static_cast<uid_t>(std::stoul(text));
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::optional<uid_t> OwnerOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return info.st_uid;
}

}  // namespace

uid_t DesktopUserId(uid_t effectiveUser, const std::function<std::string(const char*)>& variable,
                    const std::function<std::optional<uid_t>(const std::string&)>& ownerOf) {
  if (effectiveUser != 0) return effectiveUser;
  for (const char* name : {"SUDO_UID", "PKEXEC_UID"}) {
    if (auto uid = UserNumber(variable(name)); uid && *uid != 0) return *uid;
  }
  // Started as root inside a user's session: the session's own files are that user's.
  for (const char* name : {"XDG_RUNTIME_DIR", "XAUTHORITY"}) {
    std::string path = variable(name);
    if (path.empty()) continue;
    if (auto owner = ownerOf(path); owner && *owner != 0) return *owner;
  }
  return 0;
}

DesktopUser FindDesktopUser() {
  DesktopUser user;
  uid_t self = ::geteuid();
  uid_t desktopUser = DesktopUserId(self, Variable, OwnerOf);
  // The variables of this process are root's (or kept from the user by sudo -E): the
  // user database says where the desktop user's home is.
  const passwd* entry = desktopUser != self ? ::getpwuid(desktopUser) : nullptr;
  if (entry && entry->pw_dir && *entry->pw_dir) {
    user.uid = desktopUser;
    user.gid = entry->pw_gid;
    user.home = entry->pw_dir;
    user.configFolder = user.home + "/.config";
    user.isOtherUser = true;
    return user;
  }
  user.uid = self;
  user.gid = ::getegid();
  user.home = Variable("HOME");
  std::string config = Variable("XDG_CONFIG_HOME");
  user.configFolder = !config.empty() ? config : user.home + "/.config";
  return user;
}

}  // namespace quorlen
