#include "update/version_check.h"

#include <algorithm>

#include "core/text.h"

namespace quorlen {

namespace {

constexpr int kStatusPage = 5;
constexpr const char* kTitle = "Quorlen";

// Characters `first` to `last` (counted from 1) of `text`, as far as it reaches.
std::string Characters(const std::string& text, size_t first, size_t last = std::string::npos) {
  if (text.size() < first) return {};
  size_t count = last == std::string::npos ? std::string::npos : last - first + 1;
  return text.substr(first - 1, count);
}

}  // namespace

std::string ShownChanges(std::string_view changes) {
  const std::size_t columns = VersionCheck::kShownColumns;
  std::size_t lines = 0;  // shown so far, long lines counted as they wrap
  for (std::size_t start = 0; start < changes.size();) {
    std::size_t end = changes.find('\n', start);
    if (end == std::string_view::npos) end = changes.size();
    const std::size_t length = end - start - (end > start && changes[end - 1] == '\r' ? 1 : 0);
    const std::size_t wrapped = length == 0 ? 1 : (length + columns - 1) / columns;
    if (lines + wrapped > VersionCheck::kShownLines) {
      // The line that does not fit is shown as far as the lines left reach; "..." ends the
      // last line shown.
      std::size_t cut = start + std::min(length, (VersionCheck::kShownLines - lines) * columns);
      if (cut == start && start > 0) {  // the line end before it goes too
        cut = start - 1;
        if (cut > 0 && changes[cut - 1] == '\r') --cut;
      }
      return std::string(changes.substr(0, cut)) + "...";
    }
    lines += wrapped;
    start = end + 1;
  }
  return std::string(changes);
}

VersionCheck::VersionCheck(Fetcher& fetcher, Dialogs& dialogs, VersionCheckControls controls,
                           VersionCheckHooks hooks, VersionCheckSite site)
    : fetcher_(fetcher),
      dialogs_(dialogs),
      controls_(controls),
      hooks_(std::move(hooks)),
      site_(std::move(site)) {
  controls_.mnuVersion.onClick = [this] { mnuVersion_Click(); };
  controls_.cmdNew.onClick = [this] { cmdNew_Click(); };
  controls_.mnuTest.onClick = [this] { mnuTest_Click(); };
  controls_.cmdTestConn.onClick = [this] { mnuTest_Click(); };
}

bool VersionCheck::CheckVersion(std::string& ownVersion, std::string& siteVersion,
                                std::string& changes) {
  ownVersion = site_.ownVersion;
  siteVersion = ownVersion;
  changes = kUnavailable;
  std::string error;
  std::string text = fetcher_.DownloadURL(site_.vendorUrl + "zshared/version.txt", kTimeoutSeconds,
                                          error, kMaxVersionBytes);
  if (text.empty()) return true;
  siteVersion = Characters(text, 9, 13);
  changes = ShownChanges(Characters(text, 15));
  return Trim(siteVersion) == Trim(ownVersion);
}

void VersionCheck::cmdNew_Click() {
  if (hooks_.loading && hooks_.loading()) return;
  mnuVersion_Click();
}

void VersionCheck::mnuVersion_Click() {
  controls_.A.SetCurrentPage(kStatusPage);
  std::string own, site, changes;
  const std::string crlf(kCrLf);
  if (CheckVersion(own, site, changes)) {
    dialogs_.MsgBox("You have the latest version (" + own +
                        ").  It has these features that the previous version did not:" + crlf +
                        changes,
                    msgbox::kOkOnly, kTitle);
    return;
  }
  if (Trim(site).empty()) {
    dialogs_.MsgBox(
        "The Quorlen Server could not be reached.  Please check your internet connection and "
        "try again later.",
        msgbox::kOkOnly, kTitle);
    return;
  }
  int answer = dialogs_.MsgBox("The newer version (" + site + ") of Quorlen is available. " +
                                   "You have version (" + own + ")" + crlf + changes + crlf + crlf +
                                   "Would you like to download this version now?" + crlf +
                                   site_.vendorUrl + "download.asp",
                               msgbox::kYesNo, "A New Version is Available");
  if (answer != msgbox::kAnswerYes) return;
  // The download page the offer names, where a Linux user finds the package, rather than
  // the Windows installer the original opened.
  if (hooks_.openAddress) hooks_.openAddress(site_.vendorUrl + "download.asp");
  if (hooks_.exitProgram) hooks_.exitProgram();
}

void VersionCheck::mnuTest_Click() {
  if (hooks_.loading && hooks_.loading()) return;
  controls_.A.SetCurrentPage(kStatusPage);
  controls_.lblStatus.SetCaption("Testing Connection to Quorlen. Please wait...");
  const std::string crlf(kCrLf);
  const std::string twoLines = crlf + crlf;
  const std::string address = site_.vendorUrl + "zshared/domains.txt";
  std::string error;
  if (!controls_.txtProxyName.Text().empty()) {
    controls_.lblStatus.SetCaption(controls_.lblStatus.Caption() + crlf + "Using Proxy Server '" +
                                   fetcher_.Proxy() + "'");
    bool connected = !fetcher_.DownloadURL(address, kTimeoutSeconds, error).empty();
    if (connected) {
      dialogs_.MsgBox(
          "The test was a success.  Quorlen was able to connect to the internet using your "
          "named proxy server '" +
              fetcher_.Proxy() + "'",
          msgbox::kOkOnly, kTitle);
    } else {
      dialogs_.MsgBox(
          "The test of your internet connection using " + fetcher_.Proxy() +
              " as your proxy server failed." + twoLines +
              "Make sure you are connected to the internet and you have named your proxy server "
              "correctly, for example http://proxy.example.com:8080 (the \"http://\" and the "
              "port number are important)." +
              twoLines +
              "If this test still fails, maybe you don't need a proxy server. "
              "Test by clearing the proxy server name, then RESTART Quorlen so the changes take "
              "effect and test again.",
          msgbox::kOkOnly, kTitle);
    }
  } else {
    controls_.lblStatus.SetCaption(
        "Testing Connection to Quorlen (no proxy server used). Please wait...");
    bool connected = !fetcher_.DownloadURL(address, kTimeoutSeconds, error).empty();
    if (connected) {
      dialogs_.MsgBox(
          "The test was a success. Quorlen was able to connect to the internet (no proxy server "
          "used).",
          msgbox::kOkOnly, kTitle);
    } else {
      // Where the program showed an empty line and an error number of 0, the user reads
      // why the fetch failed and what was fetched.
      dialogs_.MsgBox(
          error + crlf + address + crlf +
              "The test of your internet connection without a proxy server failed." + twoLines +
              "Are you sure you're connected to the internet?" + twoLines +
              "Are you sure you don't use a proxy server?  You need to know your proxy server "
              "name and port number and type them into the box on the ' Other' page, for "
              "example http://proxy.example.com:8080.  "
              "If you do type in a proxy server name, you MUST RESTART Quorlen for those "
              "changes to take effect.",
          msgbox::kOkOnly, kTitle);
    }
  }
  controls_.lblStatus.SetCaption("Connection Tests Concluded.");
}

}  // namespace quorlen
