#include "platform/qt/devtools_connection.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <algorithm>

#include "platform/qt/page_input_listener.h"

namespace quorlen {

namespace {

// A cancelled window whose first request never comes (an empty page) is closed after this.
constexpr int kCancelledCloseMs = 1500;
// A page's request for a window and the window's arrival belong together this long.
constexpr qint64 kOpenPairingMs = 2000;
// A window that came before its opener's request is decided after this at the latest.
constexpr int kHeldBackMs = 300;

// The world the input listener runs in and the function it reports through, seen by
// nothing else.
const QString kInputWorld = QStringLiteral("quorlen");
const QString kInputBinding = QStringLiteral("quorlenInput");

std::string Str(const QJsonObject& object, const char* key) {
  return object.value(QLatin1String(key)).toString().toStdString();
}

}  // namespace

DevToolsConnection::DevToolsConnection(const QString& launcherSocket, std::string profileFolder,
                                       Owner owner)
    : BrowserConnection(std::move(owner)), profileFolder_(std::move(profileFolder)) {
  Join(launcherSocket);
}

void DevToolsConnection::OnDropped() { LetWindowsGo(windows_, owner_); }

DevToolsConnection::~DevToolsConnection() {
  QObject::disconnect(&socket_, nullptr, nullptr, nullptr);
  for (auto& window : windows_) window->MarkClosed();
  socket_.abort();
}

std::vector<std::shared_ptr<BrowserWindow>> DevToolsConnection::Windows() const {
  return {windows_.begin(), windows_.end()};
}

std::shared_ptr<DevToolsWindow> DevToolsConnection::WindowOf(const std::string& targetId) const {
  for (const auto& window : windows_) {
    if (window->TargetId() == targetId) return window;
  }
  return nullptr;
}

void DevToolsConnection::Send(const QString& method, const QJsonObject& params,
                              const std::string& sessionId) {
  QJsonObject message{{"id", nextId_++}, {"method", method}, {"params", params}};
  if (!sessionId.empty()) message.insert("sessionId", QString::fromStdString(sessionId));
  socket_.send(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

void DevToolsConnection::OnConnected() {
  Log("joined the browser of " + profileFolder_);
  versionRequest_ = nextId_;
  Send("Browser.getVersion");
  // Before any page runs on: the pages held at their start make no request unseen.
  HoldRequests();
  Send("Target.setDiscoverTargets", {{"discover", true}});
  Send("Target.setAutoAttach",
       {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}});
}

void DevToolsConnection::OnMessage(const QString& text) {
  const std::optional<QJsonObject> parsed = ParseMessage(text);
  if (!parsed) return;
  const QJsonObject& message = *parsed;
  if (message.contains("id")) {
    if (auto answer = commandAnswers_.find(message.value("id").toInt());
        answer != commandAnswers_.end()) {
      std::function<void()> answered = std::move(answer->second);
      commandAnswers_.erase(answer);
      answered();
      return;
    }
    if (message.value("id").toInt() == versionRequest_) {
      product_ = Str(message.value("result").toObject(), "product");
      for (auto& window : windows_) window->SetProduct(product_);
    }
    return;
  }
  Dispatch(message.value("method").toString(), message.value("params").toObject(),
           Str(message, "sessionId"));
}

void DevToolsConnection::Dispatch(const QString& method, const QJsonObject& params,
                                  const std::string& sessionId) {
  if (method == "Target.attachedToTarget") {
    OnAttached(params, sessionId);
  } else if (method == "Target.detachedFromTarget") {
    OnDetached(params);
  } else if (method == "Target.targetDestroyed") {
    OnDestroyed(Str(params, "targetId"));
  } else if (method == "Target.targetInfoChanged") {
    QJsonObject info = params.value("targetInfo").toObject();
    if (auto window = WindowOf(Str(info, "targetId"))) {
      std::string url = Str(info, "url");
      if (!url.empty()) window->SetLocation(url);
      window->SetTitle(Str(info, "title"));
    }
  } else if (method == "Fetch.requestPaused" && sessionId.empty()) {
    OnHeldRequest(params);
  } else if (method == "Fetch.requestPaused") {
    auto popup = cancelled_.find(sessionId);
    if (popup == cancelled_.end()) return;
    Send("Fetch.failRequest",
         {{"requestId", params.value("requestId")}, {"errorReason", "BlockedByClient"}}, sessionId);
    if (cancelledTargets_.erase(popup->second.targetId) > 0) {
      Send("Target.closeTarget", {{"targetId", QString::fromStdString(popup->second.targetId)}});
    }
  } else if (!sessionId.empty()) {
    auto session = sessions_.find(sessionId);
    if (session != sessions_.end()) OnPageEvent(method, params, session->second, sessionId);
  }
}

std::string DevToolsConnection::PageOfTarget(const std::string& targetId) const {
  if (WindowOf(targetId)) return targetId;
  for (const auto& [id, session] : sessions_) {
    if (session.targetId == targetId) return session.pageTargetId;
  }
  return {};
}

void DevToolsConnection::OnAttached(const QJsonObject& params, const std::string& parentSession) {
  std::string sessionId = Str(params, "sessionId");
  QJsonObject info = params.value("targetInfo").toObject();
  std::string type = Str(info, "type");
  std::string targetId = Str(info, "targetId");
  bool waiting = params.value("waitingForDebugger").toBool();
  if (type == "iframe") {
    auto parent = sessions_.find(parentSession);
    std::string page = parent == sessions_.end() ? std::string() : parent->second.pageTargetId;
    sessions_[sessionId] = {targetId, type, page};
    FollowSession(sessionId);
    return;
  }
  if (type != "page") {
    // Workers and the browser's own views: they run untouched.
    Resume(sessionId);
    return;
  }
  sessions_[sessionId] = {targetId, "held", ""};
  std::string opener = waiting ? PageOfTarget(Str(info, "openerId")) : std::string();
  bool asked = std::any_of(pendingOpens_.begin(), pendingOpens_.end(),
                           [&](const PendingOpen& open) { return open.page == opener; });
  if (!opener.empty() && !asked) {
    heldBack_.emplace(opener, std::make_pair(sessionId, info));
    QTimer::singleShot(kHeldBackMs, &socket_, [this, opener] { DecideHeldBack(opener); });
    return;
  }
  AttachPage(sessionId, info, waiting);
}

void DevToolsConnection::DecideHeldBack(const std::string& opener) {
  auto [first, last] = heldBack_.equal_range(opener);
  std::vector<std::pair<std::string, QJsonObject>> held;
  for (auto it = first; it != last; ++it) held.push_back(it->second);
  heldBack_.erase(first, last);
  for (auto& [sessionId, info] : held) {
    if (sessions_.count(sessionId) != 0) AttachPage(sessionId, info, true);
  }
}

void DevToolsConnection::AttachPage(const std::string& sessionId, const QJsonObject& info,
                                    bool waiting) {
  std::string targetId = Str(info, "targetId");
  if (waiting) {
    std::string opener = PageOfTarget(Str(info, "openerId"));
    qint64 now = QDateTime::currentMSecsSinceEpoch();
    while (!pendingOpens_.empty() && now - pendingOpens_.front().at > kOpenPairingMs) {
      pendingOpens_.pop_front();
    }
    auto pending = std::find_if(pendingOpens_.begin(), pendingOpens_.end(), [&](const auto& open) {
      return opener.empty() || open.page == opener;
    });
    bool asksNothing = false;
    if (pending != pendingOpens_.end()) {
      if (opener.empty()) opener = pending->page;
      asksNothing =
          pending->url.empty() ||
          QString::fromStdString(pending->url).startsWith("about:blank", Qt::CaseInsensitive);
      pendingOpens_.erase(pending);
    }
    auto openerWindow = opener.empty() ? nullptr : WindowOf(opener);
    if (openerWindow && openerWindow->Sink() && openerWindow->Sink()->WindowRequested(0)) {
      sessions_[sessionId] = {targetId, "cancelled", ""};
      CancelPopup(sessionId, targetId, asksNothing);
      return;
    }
  }
  sessions_[sessionId] = {targetId, "page", targetId};
  auto window = std::make_shared<DevToolsWindow>(targetId, Str(info, "url"), Str(info, "title"),
                                                 product_, profileFolder_);
  windows_.push_back(window);
  FollowSession(sessionId);
  if (owner_.windowOpened) owner_.windowOpened(window);
}

void DevToolsConnection::FollowSession(const std::string& sessionId) {
  ListenForInput(sessionId);
  Send("Page.enable", {}, sessionId);
  Send("Target.setAutoAttach",
       {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}}, sessionId);
  Resume(sessionId);
}

void DevToolsConnection::Resume(const std::string& sessionId) {
  Send("Runtime.runIfWaitingForDebugger", {}, sessionId);
}

void DevToolsConnection::CancelPopup(const std::string& sessionId, const std::string& targetId,
                                     bool asksNothing) {
  // Closing it while it is still paused would stall its opener, and closing it while its
  // request is held lets that request go: it runs on with every request failed, and closes
  // at its first one, or as soon as it runs when it will ask for none.
  cancelled_[sessionId] = {targetId};
  cancelledTargets_.insert(targetId);
  Send("Fetch.enable", {{"patterns", QJsonArray{QJsonObject{{"urlPattern", "*"}}}}}, sessionId);
  if (asksNothing) {
    SendThen("Runtime.runIfWaitingForDebugger", {}, sessionId,
             [this, targetId] { CloseCancelled(targetId); });
  } else {
    Resume(sessionId);
  }
  QTimer::singleShot(kCancelledCloseMs, &socket_, [this, targetId] { CloseCancelled(targetId); });
}

void DevToolsConnection::CloseCancelled(const std::string& targetId) {
  if (cancelledTargets_.erase(targetId) > 0) {
    Send("Target.closeTarget", {{"targetId", QString::fromStdString(targetId)}});
  }
}

void DevToolsConnection::SendThen(const QString& method, const QJsonObject& params,
                                  const std::string& sessionId, std::function<void()> answered) {
  commandAnswers_[nextId_] = std::move(answered);
  Send(method, params, sessionId);
}

void DevToolsConnection::ListenForInput(const std::string& sessionId) {
  Send("Runtime.enable", {}, sessionId);
  Send("Runtime.addBinding", {{"name", kInputBinding}, {"executionContextName", kInputWorld}},
       sessionId);
  Send("Page.addScriptToEvaluateOnNewDocument",
       {{"source",
         "(" + kPageInputListener + ")((report) => globalThis." + kInputBinding + "(report))"},
        {"worldName", kInputWorld},
        {"runImmediately", true}},
       sessionId);
}

void DevToolsConnection::OnInputReport(const DevToolsWindow& window, const QJsonObject& params) {
  if (params.value("name").toString() != kInputBinding) return;
  const QString payload = params.value("payload").toString();
  Log("a page tells of the user's " + payload.toStdString());
  PageReport report = ParsePageReport(payload, QDateTime::currentMSecsSinceEpoch());
  // A tab the user opens from a link arrives without an opener: nothing to tell.
  if (report.input && window.Sink()) window.Sink()->InputSeen(*report.input);
}

void DevToolsConnection::AnswerAdServers(const AdServerAnswers* answers) {
  answers_ = answers;
  if (connected_) HoldRequests();
}

void DevToolsConnection::HoldRequests() {
  bool hold = answers_ != nullptr;
  if (hold == holding_) return;
  holding_ = hold;
  if (!hold) {
    Send("Fetch.disable");  // the requests held meanwhile go on
    return;
  }
  // Every web request, looked up here: the browser matches every pattern against every
  // request, and a pattern per listed name (or per site of one) cost a page more than the
  // round trip to the program does (docs/ARCHITECTURE.md has the figures).
  Send("Fetch.enable", {{"patterns", QJsonArray{QJsonObject{{"urlPattern", "http://*"}},
                                                QJsonObject{{"urlPattern", "https://*"}}}}});
}

void DevToolsConnection::OnHeldRequest(const QJsonObject& params) {
  const QJsonValue requestId = params.value("requestId");
  const QJsonObject request = params.value("request").toObject();
  const QUrl url(request.value("url").toString());
  const std::string host = url.host(QUrl::FullyEncoded).toStdString();
  if (!answers_ || !answers_->names || !answers_->names->Contains(host)) {
    Send("Fetch.continueRequest", {{"requestId", requestId}});
    return;
  }
  const QJsonObject headers = request.value("headers").toObject();
  auto header = [&headers](const char* name) -> std::optional<std::string> {
    for (auto it = headers.begin(); it != headers.end(); ++it) {
      if (it.key().compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
        return it.value().toString().toStdString();
      }
    }
    return std::nullopt;
  };
  const std::string text =
      HttpRequestText(request.value("method").toString().toStdString(), url, header);
  const std::string body = answers_->answer(text);
  // The web server sends its placeholder with no status line and no headers; the browser
  // needs a status, and takes the body's kind from its bytes as it does on port 80.
  Send("Fetch.fulfillRequest",
       {{"requestId", requestId},
        {"responseCode", 200},
        {"responseHeaders", QJsonArray{}},
        {"body", QString::fromLatin1(QByteArray::fromStdString(body).toBase64())}});
}

void DevToolsConnection::OnDetached(const QJsonObject& params) {
  std::string sessionId = Str(params, "sessionId");
  auto session = sessions_.find(sessionId);
  if (session == sessions_.end()) return;
  std::string targetId = session->second.targetId;
  bool page = session->second.type == "page";
  if (cancelled_.erase(sessionId) > 0) Log("a cancelled window has closed");
  sessions_.erase(session);
  if (page) OnDestroyed(targetId);
}

void DevToolsConnection::OnDestroyed(const std::string& targetId) {
  cancelledTargets_.erase(targetId);
  LetWindowGo(windows_, targetId, owner_);
}

void DevToolsConnection::OnPageEvent(const QString& method, const QJsonObject& params,
                                     const Session& session, const std::string& sessionId) {
  (void)sessionId;
  auto window = WindowOf(session.pageTargetId);
  if (!window) return;
  bool pageSession = session.type == "page";
  auto isTop = [&](const std::string& frameId) {
    return pageSession && frameId == session.targetId;
  };
  auto started = [&](const std::string& frameId, const std::string& url) {
    // A navigation is reported as requested and as started: it begins once.
    std::string key = frameId + " " + url;
    if (window->lastStart == key) return;
    window->lastStart = key;
    if (auto* sink = window->Sink()) sink->NavigationStarting(url, isTop(frameId));
  };
  if (method == "Page.frameRequestedNavigation") {
    // A link into a new window: that navigation is the new window's, not this page's.
    if (Str(params, "disposition") != "currentTab") return;
    started(Str(params, "frameId"), Str(params, "url"));
  } else if (method == "Page.frameStartedNavigating") {
    started(Str(params, "frameId"), Str(params, "url"));
  } else if (method == "Page.frameScheduledNavigation") {
    std::string url = Str(params, "url");
    if (QString::fromStdString(url).startsWith("javascript:", Qt::CaseInsensitive)) {
      if (auto* sink = window->Sink()) sink->NavigationStarting(url, isTop(Str(params, "frameId")));
    }
  } else if (method == "Page.frameStartedLoading") {
    if (!isTop(Str(params, "frameId"))) return;
    if (auto* sink = window->Sink()) sink->LoadingStarted();
  } else if (method == "Page.frameStoppedLoading") {
    if (!isTop(Str(params, "frameId"))) return;
    if (auto* sink = window->Sink()) sink->LoadingStopped();
  } else if (method == "Page.frameNavigated") {
    QJsonObject frame = params.value("frame").toObject();
    std::string frameId = Str(frame, "id");
    std::string url = Str(frame, "url") + Str(frame, "urlFragment");
    bool top = isTop(frameId) && !frame.contains("parentId");
    if (top) window->SetLocation(url);
    window->lastStart.clear();
    if (auto* sink = window->Sink()) sink->NavigationCommitted(url, top);
  } else if (method == "Page.navigatedWithinDocument") {
    std::string frameId = Str(params, "frameId");
    std::string url = Str(params, "url");
    if (isTop(frameId)) window->SetLocation(url);
    if (auto* sink = window->Sink()) sink->NavigationCommitted(url, isTop(frameId));
  } else if (method == "Page.loadEventFired") {
    std::string url = window->PageAddress().value_or("");
    if (auto* sink = window->Sink()) sink->DocumentLoaded(url, pageSession);
  } else if (method == "Page.windowOpen") {
    Log("a page asks for a window: " + Str(params, "url"));
    pendingOpens_.push_back(
        {session.pageTargetId, QDateTime::currentMSecsSinceEpoch(), Str(params, "url")});
    DecideHeldBack(session.pageTargetId);
  } else if (method == "Runtime.bindingCalled") {
    OnInputReport(*window, params);
  }
}

}  // namespace quorlen
