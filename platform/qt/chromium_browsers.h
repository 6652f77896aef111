#pragma once

#include <QTimer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/browser.h"
#include "platform/qt/devtools_connection.h"

namespace quorlen {

// Every Chromium-family browser the program can join: one that listens for DevTools
// clients writes its port into "DevToolsActivePort" in its profile folder. The watched
// folders are looked at every second while the shell is connected, so browsers started
// later are joined and browsers that end are let go. The file outlives its browser, so
// only a successful connection counts.
class ChromiumBrowsers : public BrowserShell {
 public:
  explicit ChromiumBrowsers(std::vector<std::string> profileFolders, int scanMs = 1000);
  ~ChromiumBrowsers() override;

  // The program's own browser profile (the one its launcher uses) and Chromium's default.
  static std::vector<std::string> DefaultProfileFolders();

  std::vector<std::shared_ptr<BrowserWindow>> Windows() override;
  void Connect(BrowserShellEvents* sink) override;

  // Tells what happens on the wire; for the debug log.
  std::function<void(const std::string&)> log;
  int JoinedBrowsers() const;

 private:
  struct Attempt {
    std::string file;  // the port file's content that was tried
    qint64 at = 0;
  };

  void Scan();
  void Join(const std::string& folder, const std::string& portFile);
  void Lost(const std::string& folder);

  std::vector<std::string> folders_;
  QTimer scan_;
  std::map<std::string, std::unique_ptr<DevToolsConnection>> connections_;
  std::map<std::string, Attempt> attempts_;
  BrowserShellEvents* sink_ = nullptr;
  std::int32_t nextCookie_ = 1;
};

}  // namespace quorlen
