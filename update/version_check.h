#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/controls.h"
#include "platform/dialogs.h"
#include "update/fetcher.h"

namespace quorlen {

// The settings window's controls the two commands use.
struct VersionCheckControls {
  TabStrip& A;
  Label& lblStatus;
  const TextBox& txtProxyName;
  MenuItem& mnuVersion;
  Button& cmdNew;
  MenuItem& mnuTest;
  Button& cmdTestConn;
};

struct VersionCheckHooks {
  std::function<bool()> loading;                        // the main window still loads
  std::function<void(const std::string&)> openAddress;  // SetHelpURL, then the help launcher
  std::function<void()> exitProgram;                    // File > Exit
};

// Where the two commands look and what they compare with.
struct VersionCheckSite {
  std::string vendorUrl;   // the vendor site's base URL, ending in "/"
  std::string ownVersion;  // major.minor.revision of the running program
};

// What the site says a new version has, as the version box shows it: the text unchanged
// when it fits in kShownLines lines of kShownColumns characters (a longer line counts as
// the lines it wraps to), else cut there and ended with "...". So nothing the site sends
// makes a box taller than the screen; the original showed the text whole, whatever its
// size, and this knowingly departs from it.
std::string ShownChanges(std::string_view changes);

// Two commands that reach the vendor site on demand: the version check, which compares
// the site's version with the program's own and offers its download page, and the
// connection test, which fetches the ad-server list with or without the proxy and says
// in plain words whether the connection works.
class VersionCheck {
 public:
  static constexpr int kTimeoutSeconds = 15;
  static constexpr const char* kUnavailable = "Temporarily unavailable...  Please try agian later.";
  // Only the first bytes of "version.txt" are fetched, however much the site sends.
  static constexpr std::size_t kMaxVersionBytes = 4096;
  static constexpr std::size_t kShownLines = 20;
  static constexpr std::size_t kShownColumns = 80;

  VersionCheck(Fetcher& fetcher, Dialogs& dialogs, VersionCheckControls controls,
               VersionCheckHooks hooks, VersionCheckSite site);

  // True when the program is current. Read by character positions: 9 to 13 the site's
  // version, 15 on what changed (as ShownChanges gives it). Nothing fetched counts as
  // current.
  bool CheckVersion(std::string& ownVersion, std::string& siteVersion, std::string& changes);
  void mnuVersion_Click();
  void cmdNew_Click();
  // The connection test (menu and "Connect").
  void mnuTest_Click();

 private:
  Fetcher& fetcher_;
  Dialogs& dialogs_;
  VersionCheckControls controls_;
  VersionCheckHooks hooks_;
  VersionCheckSite site_;
};

}  // namespace quorlen
