#pragma once

#include <QJsonObject>
#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "launcher/message_socket.h"
#include "platform/browser.h"
#include "platform/qt/watched_browsers.h"

namespace quorlen {

class BiDiWindow;

// One Firefox joined over WebDriver BiDi. Each top-level browsing context is a window;
// frames report for the window they are in. A window a page asks for is announced before
// it requests its address: it is decided at once, and a cancelled one is closed with its
// requests held and failed, so its address never reaches its server. The browser's one
// remote session is held by its launcher, which serves it to the program; the program
// ends its part whenever it lets go, so the launcher takes back what it set up.
class BiDiConnection : public BrowserConnection {
 public:
  BiDiConnection(const QString& launcherSocket, std::string profileFolder, Owner owner);
  ~BiDiConnection() override;
  BiDiConnection(const BiDiConnection&) = delete;
  BiDiConnection& operator=(const BiDiConnection&) = delete;

  // True once the browser has granted the session.
  bool Open() const override { return session_; }
  // Ends the session and closes the socket once the browser has answered (it drops a
  // session.end that the socket's close overtakes).
  bool Leave(std::function<void()> done) override;
  std::vector<std::shared_ptr<BrowserWindow>> Windows() const override;

 private:
  using Answer = std::function<void(const QJsonObject& result)>;
  struct Context {
    std::string top;  // the top-level context whose window this one belongs to
  };

  void OnConnected() override;
  void OnDropped() override;
  void OnSession(const QJsonObject& result);
  void OnTree(const QJsonArray& contexts, const std::string& parent);
  void OnMessage(const QString& text) override;
  void Dispatch(const QString& method, const QJsonObject& params);
  void OnContextCreated(const std::string& context, const std::string& parent,
                        const std::string& opener, const std::string& url);
  void OnContextDestroyed(const std::string& context);
  void OnNavigation(const QString& method, const QJsonObject& params);
  void OnScriptMessage(const QJsonObject& params);
  void OnInputReport(const QJsonObject& params);
  // Whether the user opened a link of `opener`'s window in a tab of its own just now; such
  // a tab is announced with its opener, but nobody's popup.
  bool TakeUserTab(const std::string& opener);
  void OnRequest(const QJsonObject& params);
  void Cancel(const std::string& context);
  // Asks the browser to close a cancelled window, again and again up to `tries` times
  // until it is gone: a window still being set up refuses to close.
  void CloseCancelled(const std::string& context, int tries);
  // The window of `context` is decided (or gone): its held requests go their way or fail.
  void Decided(const std::string& context);
  // How long ago `opener`'s page told that it asked for the window announced now; 0 when
  // it did not tell.
  int TakeWindowAsked(const std::string& opener);
  void AddWindow(const std::string& context, const std::string& url);
  void Send(const QString& method, const QJsonObject& params, Answer answer = {});
  std::shared_ptr<BiDiWindow> WindowOf(const std::string& context) const;

  std::string profileFolder_;
  bool session_ = false;
  bool leaving_ = false;
  int nextId_ = 1;
  std::string product_;
  std::map<int, Answer> answers_;
  std::map<std::string, Context> contexts_;
  std::vector<std::shared_ptr<BiDiWindow>> windows_;
  // Windows cancelled and closing: their requests fail.
  std::set<std::string> cancelled_;
  // Requests of contexts not yet announced, waiting for their window's decision.
  std::map<std::string, std::vector<QJsonObject>> held_;
  // Windows whose page told that it asked for a window: the time it asked, and the page's
  // number of the ask.
  struct WindowAsked {
    std::string context;
    qint64 at = 0;
    int ask = 0;
  };
  std::deque<WindowAsked> windowsAsked_;
  // Top-level contexts that began to load before the browser announced them.
  std::set<std::string> startedUnannounced_;
  // The navigation each context last reported as committed.
  std::map<std::string, std::string> committed_;
  // Windows whose page told that the user opened a link in a tab of its own, with the time.
  std::deque<std::pair<std::string, qint64>> userTabs_;
};

// A top-level browsing context seen as a browser window.
class BiDiWindow : public JoinedWindow {
 public:
  using JoinedWindow::JoinedWindow;
  const std::string& Context() const { return Id(); }
};

}  // namespace quorlen
