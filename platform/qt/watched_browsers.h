#pragma once

#include <QFileSystemWatcher>
#include <QJsonObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "launcher/message_socket.h"
#include "platform/browser.h"

namespace quorlen {

// A browser window followed over a remote-control socket, as the connection that owns it
// last reported it. A closed window answers no more questions.
class JoinedWindow : public BrowserWindow {
 public:
  JoinedWindow(std::string id, std::string url, std::string product, std::string profileFolder)
      : id_(std::move(id)),
        url_(std::move(url)),
        product_(std::move(product)),
        profileFolder_(std::move(profileFolder)) {}

  std::optional<std::string> PageAddress() override;
  BrowserWindowProperties Properties() override;
  void Connect(BrowserWindowEvents* sink) override { sink_ = sink; }

  // The protocol's own name of the window: a target id or a browsing context.
  const std::string& Id() const { return id_; }
  BrowserWindowEvents* Sink() const { return sink_; }
  void SetLocation(std::string url) { url_ = std::move(url); }
  // A protocol that reports no page title leaves the window's location name unknown.
  void SetTitle(std::string title) { title_ = std::move(title); }
  void SetProduct(std::string product) { product_ = std::move(product); }
  void MarkClosed() { closed_ = true; }
  bool Closed() const { return closed_; }

 private:
  std::string id_;
  std::string url_;
  std::optional<std::string> title_;
  std::string product_;
  std::string profileFolder_;
  BrowserWindowEvents* sink_ = nullptr;
  bool closed_ = false;
};

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
  // From now on the browser answers requests for `answers->names` itself; null lets every
  // request go its own way. The answers outlive the connection.
  virtual void AnswerAdServers(const AdServerAnswers* answers) { (void)answers; }
  // Messages read that were not JSON objects; for tests.
  int MalformedMessages() const { return malformed_; }

 protected:
  explicit BrowserConnection(Owner owner) : owner_(std::move(owner)) {}

  // Opens the launcher's socket at `launcherSocket`. Once it connects, OnConnected; each
  // message goes to OnMessage; a socket that drops after connecting lets the browser go
  // (OnDropped); either that or a failure before connecting is told to the owner, once.
  void Join(const QString& launcherSocket);
  virtual void OnConnected() = 0;
  virtual void OnMessage(const QString& text) = 0;
  virtual void OnDropped() = 0;
  void ReportLost();
  void Log(const std::string& message) {
    if (owner_.log) owner_.log(message);
  }

  // A message of the browser as the JSON object it must be; nothing, counted, otherwise.
  std::optional<QJsonObject> ParseMessage(const QString& text);

  // The browser closed the window of `id`: it quits first, then it leaves the set.
  template <typename Window>
  static void LetWindowGo(std::vector<std::shared_ptr<Window>>& windows, const std::string& id,
                          const Owner& owner) {
    auto it = std::find_if(windows.begin(), windows.end(),
                           [&](const auto& window) { return window->Id() == id; });
    if (it == windows.end()) return;
    std::shared_ptr<Window> window = *it;
    if (auto* sink = window->Sink()) sink->WindowClosing();
    window->MarkClosed();
    windows.erase(std::find(windows.begin(), windows.end(), window));
    if (owner.windowClosed) owner.windowClosed(window);
  }

  // The browser went away: its windows go with it, without quitting one by one.
  template <typename Window>
  static void LetWindowsGo(std::vector<std::shared_ptr<Window>>& windows, const Owner& owner) {
    auto gone = std::move(windows);
    windows.clear();
    for (auto& window : gone) {
      window->MarkClosed();
      if (owner.windowClosed) owner.windowClosed(window);
    }
  }

 protected:
  Owner owner_;
  MessageSocket socket_;  // to the browser's launcher
  bool connected_ = false;
  bool lostReported_ = false;

 private:
  int malformed_ = 0;
};

// The browsers whose launcher serves the program over a socket in the user's runtime
// folder. The socket folder is looked at every second while the service is connected, and
// at once when a socket appears in it, so browsers started later are joined before their
// first page can open a window unseen, and browsers that end are let go. A socket file
// may outlive its launcher, so only a successful connection counts.
class WatchedBrowsers : public BrowserShell {
 public:
  ~WatchedBrowsers() override;

  std::vector<std::shared_ptr<BrowserWindow>> Windows() override;
  void Connect(BrowserShellEvents* sink) override;
  void AnswerAdServers(AdServerAnswers answers) override;

  // Tells what happens on the wire; for the debug log.
  std::function<void(const std::string&)> log;
  int JoinedBrowsers() const;
  // Runs the event loop until every browser let go of has been told, or `ms` have passed;
  // for the program's end, when its loop has stopped.
  void FinishLeaving(int ms);

 protected:
  // A browser profile and the socket of the launcher that runs it.
  struct Place {
    std::string profileFolder;
    std::string socket;  // empty without a runtime folder: nothing is joined there
  };
  WatchedBrowsers(std::vector<Place> places, int scanMs);
  // Joins the browser of `folder` through its launcher's socket.
  virtual std::unique_ptr<BrowserConnection> Join(const std::string& folder,
                                                  const std::string& socket,
                                                  BrowserConnection::Owner owner) = 0;
  // Whether these browsers are joined to answer ad servers, or answer them by other means.
  virtual bool JoinsToAnswer() const { return true; }
  // The servers to answer have changed; null while the web server does not run.
  virtual void BlockedServersChanged(const std::shared_ptr<const HostNameSet>& names) {
    (void)names;
  }
  const std::vector<std::string>& ProfileFolders() const { return folders_; }

 private:
  struct Attempt {
    std::string file;  // the socket file that was tried, by its inode and change time
    qint64 at = 0;
  };

  // True while joined browsers answer ad servers.
  bool Answering() const;
  // Joins browsers while anyone needs them, and lets go of them once nobody does.
  void JoinOrLeave();
  void LeaveAll();
  void Scan();
  // Asks to hear of sockets that appear in the folder of `socket`.
  void Watch(const std::string& socket);
  void Lost(const std::string& folder);

  std::vector<Place> places_;
  std::vector<std::string> folders_;
  QTimer scan_;
  QFileSystemWatcher watcher_;
  std::map<std::string, std::unique_ptr<BrowserConnection>> connections_;
  std::vector<std::unique_ptr<BrowserConnection>> leaving_;
  std::map<std::string, Attempt> attempts_;
  BrowserShellEvents* sink_ = nullptr;
  AdServerAnswers answers_;
  std::int32_t nextCookie_ = 1;
};

// The text of the HTTP request a browser would have sent for `url`: the request line,
// then Host and, where the browser has them, Referer and User-Agent (`header` finds a
// header's value by its name in any letter case, or nothing).
std::string HttpRequestText(const std::string& method, const QUrl& url,
                            const std::function<std::optional<std::string>(const char*)>& header);

}  // namespace quorlen
