#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>

namespace quorlen {

// The user whose desktop session the program serves. Normally the user it runs as; when
// it runs as root on behalf of a desktop user (sudo, pkexec, or started inside that
// user's session), that user: files meant for the desktop, such as the autostart entry,
// belong in that user's home and to that user, where the session reads them.
struct DesktopUser {
  uid_t uid = 0;
  gid_t gid = 0;
  std::string home;
  std::string configFolder;  // $XDG_CONFIG_HOME for the program's own user, else home/.config
  bool isOtherUser = false;  // the program runs as root for this user
};

// Which user that is, from what the system tells: the effective user, the variables sudo
// and pkexec set, and the owners of the session's runtime folder and X authority file.
// Root is the answer only when nothing names another user.
//   variable(name) gives an environment variable ("" when unset);
//   ownerOf(path) gives the owner of a file, nothing when it cannot be told.
uid_t DesktopUserId(uid_t effectiveUser, const std::function<std::string(const char*)>& variable,
                    const std::function<std::optional<uid_t>(const std::string&)>& ownerOf);

// The desktop user of this process, with the home and group from the user database.
DesktopUser FindDesktopUser();

}  // namespace quorlen
