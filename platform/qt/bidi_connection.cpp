#include "platform/qt/bidi_connection.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <algorithm>

#include "platform/qt/page_input_listener.h"

namespace quorlen {

namespace {

// A browser that does not answer the end of its session within this is left as it is.
constexpr int kLeaveMs = 2000;

// The channel on which the pages' watcher reports links whose address is script.
const QString kChannel = QStringLiteral("quorlen");

// Runs in every document, apart from the page's own scripts. A link whose address is
// script starts no navigation the browser reports, yet it is how a user asks a page for a
// window; the watcher tells of it before the link runs. It listens on the window, which
// outlives the first blank document of a frame.
const QString kLinkWatcher = QStringLiteral(
    "(report) => { window.addEventListener('click', (event) => {"
    " const link = event.target && event.target.closest ?"
    " event.target.closest('a[href], area[href]') : null;"
    " const href = link ? link.getAttribute('href') || '' : '';"
    " if (/^\\s*javascript:/i.test(href)) report(href);"
    " }, true); }");

// A cancelled window still there this long after it was asked to close is asked again,
// for at most this many times.
constexpr int kCloseAgainMs = 100;
constexpr int kCloseTries = 50;

// The channel on which the pages' input listener reports, in the same sandbox.
const QString kInputChannel = QStringLiteral("quorlen-input");
// A page's word that the user opens a link in a tab of its own holds this long: the
// browser announces the tab up to seconds later on a busy machine.
constexpr qint64 kUserTabMs = 5000;
// A page's word that it asked for a window is paired with the window announced next from
// that page within this; the browser announces a window up to seconds after the ask.
constexpr qint64 kWindowAskedMs = 5000;
// A request of a window not yet announced waits this long for its decision at most.
constexpr int kHoldUnannouncedMs = 3000;

std::string Str(const QJsonObject& object, const char* key) {
  return object.value(QLatin1String(key)).toString().toStdString();
}

QJsonArray Channel(const QString& channel = kChannel) {
  return QJsonArray{QJsonObject{{"type", "channel"}, {"value", QJsonObject{{"channel", channel}}}}};
}

}  // namespace

BiDiConnection::BiDiConnection(const QString& launcherSocket, std::string profileFolder,
                               Owner owner)
    : BrowserConnection(std::move(owner)), profileFolder_(std::move(profileFolder)) {
  Join(launcherSocket);
}

void BiDiConnection::OnDropped() {
  session_ = false;
  LetWindowsGo(windows_, owner_);
}

BiDiConnection::~BiDiConnection() {
  QObject::disconnect(&socket_, nullptr, nullptr, nullptr);
  for (auto& window : windows_) window->MarkClosed();
  socket_.abort();
}

bool BiDiConnection::Leave(std::function<void()> done) {
  for (auto& window : windows_) window->MarkClosed();
  windows_.clear();
  if (!session_) return false;
  // The browser keeps a session whose socket merely drops, and grants no other: it is
  // ended, so that the program (or anyone) can join again.
  leaving_ = true;
  session_ = false;
  lostReported_ = true;  // whoever let go has heard enough
  auto finish = std::make_shared<std::function<void()>>([this, done = std::move(done)] {
    if (!leaving_) return;
    leaving_ = false;
    socket_.close();
    done();
  });
  Send("session.end", {}, [finish](const QJsonObject&) { (*finish)(); });
  QObject::connect(&socket_, &MessageSocket::disconnected, &socket_, [finish] { (*finish)(); });
  QTimer::singleShot(kLeaveMs, &socket_, [finish] { (*finish)(); });
  return true;
}

std::vector<std::shared_ptr<BrowserWindow>> BiDiConnection::Windows() const {
  return {windows_.begin(), windows_.end()};
}

std::shared_ptr<BiDiWindow> BiDiConnection::WindowOf(const std::string& context) const {
  auto known = contexts_.find(context);
  const std::string& top = known == contexts_.end() ? context : known->second.top;
  for (const auto& window : windows_) {
    if (window->Context() == top) return window;
  }
  return nullptr;
}

void BiDiConnection::Send(const QString& method, const QJsonObject& params, Answer answer) {
  int id = nextId_++;
  if (answer) answers_[id] = std::move(answer);
  QJsonObject message{{"id", id}, {"method", method}, {"params", params}};
  socket_.send(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

void BiDiConnection::OnConnected() {
  Send("session.new", {{"capabilities", QJsonObject{}}},
       [this](const QJsonObject& result) { OnSession(result); });
}

void BiDiConnection::OnSession(const QJsonObject& result) {
  if (result.isEmpty()) {
    // One remote session per browser: another client holds it, or an earlier run of the
    // program that ended without letting go. It is tried again later.
    Log("Firefox at " + profileFolder_ + " refused a remote session; it has one already");
    socket_.abort();
    ReportLost();
    return;
  }
  session_ = true;
  QJsonObject capabilities = result.value("capabilities").toObject();
  product_ = Str(capabilities, "browserName") + " " + Str(capabilities, "browserVersion");
  Log("joined the browser of " + profileFolder_);
  // The whole module, so that a browser without one of its newer events still subscribes.
  // Subscribing also announces every context open now.
  Send("session.subscribe",
       {{"events", QJsonArray{"browsingContext", "script.message", "network.beforeRequestSent"}}});
  // One intercept for every window, in place before any window opens: one added for a
  // window once it is cancelled can come after its first request. Each request is let go
  // at once unless its window is cancelled or not yet decided.
  Send("network.addIntercept", {{"phases", QJsonArray{"beforeRequestSent"}}});
  Send("script.addPreloadScript",
       {{"functionDeclaration", kLinkWatcher}, {"arguments", Channel()}, {"sandbox", kChannel}});
  Send("script.addPreloadScript", {{"functionDeclaration", kPageInputListener},
                                   {"arguments", Channel(kInputChannel)},
                                   {"sandbox", kChannel}});
  Send("browsingContext.getTree", {},
       [this](const QJsonObject& tree) { OnTree(tree.value("contexts").toArray(), {}); });
}

void BiDiConnection::OnTree(const QJsonArray& contexts, const std::string& parent) {
  for (const auto& entry : contexts) {
    QJsonObject context = entry.toObject();
    std::string id = Str(context, "context");
    bool known = contexts_.count(id) != 0;
    if (!known) OnContextCreated(id, parent, {}, Str(context, "url"));
    // Documents loaded before the program joined get the link watcher now.
    if (!known || parent.empty()) {
      Send("script.callFunction", {{"functionDeclaration", kLinkWatcher},
                                   {"arguments", Channel()},
                                   {"awaitPromise", false},
                                   {"target", QJsonObject{{"context", QString::fromStdString(id)},
                                                          {"sandbox", kChannel}}}});
      Send("script.callFunction", {{"functionDeclaration", kPageInputListener},
                                   {"arguments", Channel(kInputChannel)},
                                   {"awaitPromise", false},
                                   {"target", QJsonObject{{"context", QString::fromStdString(id)},
                                                          {"sandbox", kChannel}}}});
    }
    OnTree(context.value("children").toArray(), id);
  }
}

void BiDiConnection::OnMessage(const QString& text) {
  const std::optional<QJsonObject> parsed = ParseMessage(text);
  if (!parsed) return;
  const QJsonObject& message = *parsed;
  if (message.contains("id")) {
    auto answer = answers_.find(message.value("id").toInt(-1));
    if (answer == answers_.end()) return;
    Answer handler = std::move(answer->second);
    answers_.erase(answer);
    // An error answers with nothing.
    bool ok = message.value("type").toString() == "success";
    handler(ok ? message.value("result").toObject() : QJsonObject{});
    return;
  }
  if (!session_) return;
  Dispatch(message.value("method").toString(), message.value("params").toObject());
}

void BiDiConnection::Dispatch(const QString& method, const QJsonObject& params) {
  if (method == "browsingContext.contextCreated") {
    OnContextCreated(Str(params, "context"), Str(params, "parent"), Str(params, "originalOpener"),
                     Str(params, "url"));
  } else if (method == "browsingContext.contextDestroyed") {
    OnContextDestroyed(Str(params, "context"));
  } else if (method == "script.message") {
    OnScriptMessage(params);
  } else if (method == "network.beforeRequestSent") {
    OnRequest(params);
  } else if (method.startsWith("browsingContext.")) {
    OnNavigation(method, params);
  }
}

void BiDiConnection::OnContextCreated(const std::string& context, const std::string& parent,
                                      const std::string& opener, const std::string& url) {
  if (context.empty() || contexts_.count(context) != 0 || cancelled_.count(context) != 0) return;
  if (!parent.empty()) {
    auto known = contexts_.find(parent);
    contexts_[context] = {known == contexts_.end() ? parent : known->second.top};
    Decided(context);
    return;
  }
  if (!opener.empty()) Log("a page opens a window: " + url);
  // A tab the user opened from a link (a middle or modified click) begins to load before
  // the browser announces it: it is nobody's popup, and its request has left anyway.
  bool told = TakeUserTab(opener);
  bool userTab = startedUnannounced_.erase(context) > 0 || told;
  if (!opener.empty() && !userTab) {
    auto openerWindow = WindowOf(opener);
    int msSinceAsked = TakeWindowAsked(opener);
    if (msSinceAsked > 0) {
      Log("the window was announced " + std::to_string(msSinceAsked) + " ms after its page asked");
    }
    if (openerWindow && openerWindow->Sink() &&
        openerWindow->Sink()->WindowRequested(msSinceAsked)) {
      Cancel(context);
      Decided(context);
      return;
    }
  }
  AddWindow(context, url);
  Decided(context);
}

void BiDiConnection::AddWindow(const std::string& context, const std::string& url) {
  contexts_[context] = {context};
  auto window = std::make_shared<BiDiWindow>(context, url, product_, profileFolder_);
  windows_.push_back(window);
  if (owner_.windowOpened) owner_.windowOpened(window);
}

void BiDiConnection::Cancel(const std::string& context) {
  cancelled_.insert(context);
  CloseCancelled(context, kCloseTries);
}

void BiDiConnection::CloseCancelled(const std::string& context, int tries) {
  if (cancelled_.count(context) == 0 || tries <= 0) return;
  // Firefox refuses to close a window it has not finished setting up (its session store
  // has not taken it in yet), which a window opened on a busy desktop often is: left
  // alone it would stay on screen, empty, on about:blank.
  Send("browsingContext.close",
       {{"context", QString::fromStdString(context)}, {"promptUnload", false}});
  QTimer::singleShot(kCloseAgainMs, &socket_,
                     [this, context, tries] { CloseCancelled(context, tries - 1); });
}

void BiDiConnection::OnRequest(const QJsonObject& params) {
  if (!params.value("isBlocked").toBool()) return;
  QJsonObject request{{"request", params.value("request").toObject().value("request")}};
  std::string context = Str(params, "context");
  auto known = contexts_.find(context);
  const std::string top = known == contexts_.end() ? context : known->second.top;
  if (cancelled_.count(top) != 0) {
    Send("network.failRequest", request);
  } else if (!context.empty() && known == contexts_.end()) {
    // A window not yet announced, so not yet decided: its request waits for the decision,
    // and goes its way if the announcement does not come.
    held_[context].push_back(request);
    QTimer::singleShot(kHoldUnannouncedMs, &socket_, [this, context] { Decided(context); });
  } else {
    Send("network.continueRequest", request);
  }
}

void BiDiConnection::Decided(const std::string& context) {
  auto held = held_.find(context);
  if (held == held_.end()) return;
  const bool cancelled = cancelled_.count(context) != 0;
  for (const auto& request : held->second) {
    Send(cancelled ? "network.failRequest" : "network.continueRequest", request);
  }
  held_.erase(held);
}

void BiDiConnection::OnContextDestroyed(const std::string& context) {
  startedUnannounced_.erase(context);
  committed_.erase(context);
  Decided(context);
  if (auto cancelled = cancelled_.find(context); cancelled != cancelled_.end()) {
    cancelled_.erase(cancelled);
    for (auto it = contexts_.begin(); it != contexts_.end();) {
      it = it->second.top == context ? contexts_.erase(it) : std::next(it);
    }
    Log("a cancelled window has closed");
    return;
  }
  auto known = contexts_.find(context);
  if (known == contexts_.end()) return;
  bool top = known->second.top == context;
  if (!top) {
    contexts_.erase(known);
    return;
  }
  // The window's frames go with it.
  for (auto it = contexts_.begin(); it != contexts_.end();) {
    it = it->second.top == context ? contexts_.erase(it) : std::next(it);
  }
  LetWindowGo(windows_, context, owner_);
}

void BiDiConnection::OnNavigation(const QString& method, const QJsonObject& params) {
  std::string context = Str(params, "context");
  std::string url = Str(params, "url");
  if (contexts_.count(context) == 0) {
    if (method == "browsingContext.navigationStarted" && cancelled_.count(context) == 0) {
      startedUnannounced_.insert(context);
    }
    return;
  }
  auto window = WindowOf(context);
  BrowserWindowEvents* sink = window ? window->Sink() : nullptr;
  bool top = window && window->Context() == context;
  auto complete = [&] {
    if (top) window->SetLocation(url);
    if (sink) sink->NavigationCommitted(url, top);
  };
  if (method == "browsingContext.navigationStarted") {
    if (sink) sink->NavigationStarting(url, top);
    // No event of its own marks the start of a page's download: the navigation's start
    // stands for it, before the window's address changes.
    if (sink && top) sink->LoadingStarted();
  } else if (method == "browsingContext.navigationCommitted") {
    committed_[context] = Str(params, "navigation");
    complete();
  } else if (method == "browsingContext.domContentLoaded") {
    // A browser that reports no commit has committed by now.
    std::string navigation = Str(params, "navigation");
    if (committed_[context] == navigation) return;
    committed_[context] = navigation;
    complete();
  } else if (method == "browsingContext.fragmentNavigated" ||
             method == "browsingContext.historyUpdated") {
    complete();
  } else if (method == "browsingContext.load") {
    if (sink) sink->DocumentLoaded(url, top);
    if (sink && top) sink->LoadingStopped();
  } else if (method == "browsingContext.navigationFailed" ||
             method == "browsingContext.navigationAborted") {
    if (sink && top) sink->LoadingStopped();
  }
}

void BiDiConnection::OnScriptMessage(const QJsonObject& params) {
  if (params.value("channel").toString() == kInputChannel) return OnInputReport(params);
  if (params.value("channel").toString() != kChannel) return;
  QJsonObject data = params.value("data").toObject();
  QString href = data.value("value").toString();
  if (data.value("type").toString() != "string" ||
      !href.trimmed().startsWith("javascript:", Qt::CaseInsensitive)) {
    return;
  }
  std::string context = Str(params.value("source").toObject(), "context");
  if (contexts_.count(context) == 0) return;
  auto window = WindowOf(context);
  if (!window || !window->Sink()) return;
  window->Sink()->NavigationStarting(href.toStdString(), window->Context() == context);
}

}  // namespace quorlen

namespace quorlen {

void BiDiConnection::OnInputReport(const QJsonObject& params) {
  QJsonObject data = params.value("data").toObject();
  if (data.value("type").toString() != "string") return;
  std::string context = Str(params.value("source").toObject(), "context");
  if (contexts_.count(context) == 0) return;
  auto window = WindowOf(context);
  if (!window) return;
  Log("a page tells of the user's " + data.value("value").toString().toStdString());
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  PageReport report = ParsePageReport(data.value("value").toString(), now);
  if (report.windowAsked) {
    windowsAsked_.push_back({window->Context(), now - report.msAgo, report.ask});
  } else if (report.windowReused) {
    std::erase_if(windowsAsked_, [&](const WindowAsked& asked) {
      return asked.context == window->Context() && asked.ask == report.ask;
    });
  } else if (report.userTab) {
    userTabs_.emplace_back(window->Context(), now);
  } else if (report.input && window->Sink()) {
    window->Sink()->InputSeen(*report.input);
  }
}

int BiDiConnection::TakeWindowAsked(const std::string& opener) {
  qint64 now = QDateTime::currentMSecsSinceEpoch();
  while (!windowsAsked_.empty() && now - windowsAsked_.front().at > kWindowAskedMs) {
    windowsAsked_.pop_front();
  }
  auto window = WindowOf(opener);
  if (!window) return 0;
  // The windows of one page are announced in the order it asked for them.
  auto asked = std::find_if(windowsAsked_.begin(), windowsAsked_.end(),
                            [&](const auto& told) { return told.context == window->Context(); });
  if (asked == windowsAsked_.end()) return 0;
  int msSinceAsked = static_cast<int>(std::max<qint64>(now - asked->at, 0));
  windowsAsked_.erase(asked);
  return msSinceAsked;
}

bool BiDiConnection::TakeUserTab(const std::string& opener) {
  if (opener.empty()) return false;
  qint64 now = QDateTime::currentMSecsSinceEpoch();
  while (!userTabs_.empty() && now - userTabs_.front().second > kUserTabMs) userTabs_.pop_front();
  auto window = WindowOf(opener);
  if (!window) return false;
  auto tab = std::find_if(userTabs_.begin(), userTabs_.end(),
                          [&](const auto& told) { return told.first == window->Context(); });
  if (tab == userTabs_.end()) return false;
  userTabs_.erase(tab);
  return true;
}

}  // namespace quorlen
