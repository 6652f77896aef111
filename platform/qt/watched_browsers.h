#pragma once

#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/browser.h"

namespace quorlen {

// One browser joined over its remote-control socket.
class BrowserConnection {
 public:
  // What a connection tells the service that holds it.
  struct Owner {
    std::function<void(const std::shared_ptr<BrowserWindow>&)> windowOpened;
    std::function<void(const std::shared_ptr<BrowserWindow>&)> windowClosed;
    std::function<void()> lost;  // the socket closed or failed, or the browser refused us
    std::function<void(const std::string&)> log;
  };

  virtual ~BrowserConnection() = default;
  virtual bool Open() const = 0;
  // Lets go of the browser. True when the browser must answer first: `done` runs once it
  // has, or has not in time, and the connection may go then.
  virtual bool Leave(std::function<void()> done) {
    (void)done;
    return false;
  }
  // The windows of this browser, in the order they were joined.
  virtual std::vector<std::shared_ptr<BrowserWindow>> Windows() const = 0;
};

// The browsers that listen for the program on a port they write into a file of their
// profile folder. The watched folders are looked at every second while the service is
// connected, so browsers started later are joined and browsers that end are let go. The
// file outlives its browser, so only a successful connection counts.
class WatchedBrowsers : public BrowserShell {
 public:
  ~WatchedBrowsers() override;

  std::vector<std::shared_ptr<BrowserWindow>> Windows() override;
  void Connect(BrowserShellEvents* sink) override;

  // Tells what happens on the wire; for the debug log.
  std::function<void(const std::string&)> log;
  int JoinedBrowsers() const;
  // Runs the event loop until every browser let go of has been told, or `ms` have passed;
  // for the program's end, when its loop has stopped.
  void FinishLeaving(int ms);

 protected:
  WatchedBrowsers(std::vector<std::string> profileFolders, std::string portFileName, int scanMs);
  // Joins the browser whose port file reads `portFile`; null when the file names no
  // port on this machine.
  virtual std::unique_ptr<BrowserConnection> Join(const std::string& folder,
                                                  const std::string& portFile,
                                                  BrowserConnection::Owner owner) = 0;

 private:
  struct Attempt {
    std::string file;  // the port file's content that was tried
    qint64 at = 0;
  };

  void Scan();
  void Lost(const std::string& folder);

  std::vector<std::string> folders_;
  std::string portFileName_;
  QTimer scan_;
  std::map<std::string, std::unique_ptr<BrowserConnection>> connections_;
  std::vector<std::unique_ptr<BrowserConnection>> leaving_;
  std::map<std::string, Attempt> attempts_;
  BrowserShellEvents* sink_ = nullptr;
  std::int32_t nextCookie_ = 1;
};

// The user's configuration folder ($XDG_CONFIG_HOME, else ~/.config).
std::string ConfigFolder();

}  // namespace quorlen
