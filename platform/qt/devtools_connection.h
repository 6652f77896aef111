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

class DevToolsWindow;

// One Chromium browser joined through its launcher's socket, at browser level. Each page
// target is a window; cross-site frames report on their own sessions and count for the
// page they are in. A window a page asks for arrives paused, with its opener's id: it
// is decided at once and either resumed, or resumed with every request failed and
// closed, so its address never reaches its server and its opener runs on. While ad
// servers are answered, every web request of the browser is held at browser level until
// the program has looked its server up: a blocked one is answered with the placeholder,
// any other goes on untouched.
class DevToolsConnection : public BrowserConnection {
 public:
  DevToolsConnection(const QString& launcherSocket, std::string profileFolder, Owner owner);
  ~DevToolsConnection() override;
  DevToolsConnection(const DevToolsConnection&) = delete;
  DevToolsConnection& operator=(const DevToolsConnection&) = delete;

  bool Open() const override { return connected_; }
  const std::string& ProfileFolder() const { return profileFolder_; }
  std::vector<std::shared_ptr<BrowserWindow>> Windows() const override;
  void AnswerAdServers(const AdServerAnswers* answers) override;

 private:
  struct Session {
    std::string targetId;
    std::string type;
    std::string pageTargetId;  // the page whose window this session belongs to
  };
  struct CancelledPopup {
    std::string targetId;
  };
  // A page's request for a window, until the window arrives.
  struct PendingOpen {
    std::string page;
    qint64 at = 0;
    std::string url;  // the address asked for; empty or "about:blank" for none
  };

  void OnConnected() override;
  void OnDropped() override;
  void OnMessage(const QString& text) override;
  void Dispatch(const QString& method, const QJsonObject& params, const std::string& sessionId);
  void OnAttached(const QJsonObject& params, const std::string& parentSession);
  void OnDetached(const QJsonObject& params);
  void OnDestroyed(const std::string& targetId);
  void OnPageEvent(const QString& method, const QJsonObject& params, const Session& session,
                   const std::string& sessionId);
  void FollowSession(const std::string& sessionId);
  // `asksNothing`: the window was asked for without an address, so no request of its own
  // will come to close it at.
  void CancelPopup(const std::string& sessionId, const std::string& targetId, bool asksNothing);
  // Decides a paused page a page asked for, or lets it open when nobody asked for it.
  void AttachPage(const std::string& sessionId, const QJsonObject& info, bool waiting);
  // Decides the windows `opener` asked for that came before its request did.
  void DecideHeldBack(const std::string& opener);
  void CloseCancelled(const std::string& targetId);
  // The page's input listener, in a world of its own, ahead of the page's first script.
  void ListenForInput(const std::string& sessionId);
  void OnInputReport(const DevToolsWindow& window, const QJsonObject& params);
  // Sends a command and runs `answered` once the browser has answered it.
  void SendThen(const QString& method, const QJsonObject& params, const std::string& sessionId,
                std::function<void()> answered);
  void Resume(const std::string& sessionId);
  // Holds the browser's requests while ad servers are answered, and only then.
  void HoldRequests();
  void OnHeldRequest(const QJsonObject& params);
  void Send(const QString& method, const QJsonObject& params = {},
            const std::string& sessionId = {});
  std::shared_ptr<DevToolsWindow> WindowOf(const std::string& targetId) const;
  // The page a target (a page or one of its frames) belongs to; empty when unknown.
  std::string PageOfTarget(const std::string& targetId) const;

  std::string profileFolder_;
  int nextId_ = 1;
  int versionRequest_ = 0;
  std::string product_;
  const AdServerAnswers* answers_ = nullptr;
  bool holding_ = false;
  std::map<std::string, Session> sessions_;
  std::vector<std::shared_ptr<DevToolsWindow>> windows_;
  std::map<std::string, CancelledPopup> cancelled_;  // by session id
  std::set<std::string> cancelledTargets_;
  std::deque<PendingOpen> pendingOpens_;
  // Windows that arrived before their opener's request, by opener: the page tells of the
  // presses that led to a request before the request, so they wait for it.
  std::multimap<std::string, std::pair<std::string, QJsonObject>> heldBack_;
  std::map<int, std::function<void()>> commandAnswers_;
};

// A page target seen as a browser window.
class DevToolsWindow : public JoinedWindow {
 public:
  DevToolsWindow(std::string targetId, std::string url, std::string title, std::string product,
                 std::string profileFolder)
      : JoinedWindow(std::move(targetId), std::move(url), std::move(product),
                     std::move(profileFolder)) {
    SetTitle(std::move(title));
  }

  const std::string& TargetId() const { return Id(); }
  // The last navigation reported as starting, so the two reports of one start count once.
  std::string lastStart;
};

}  // namespace quorlen
