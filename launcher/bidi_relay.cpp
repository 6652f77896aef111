#include "launcher/bidi_relay.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace quorlen {

namespace {

QByteArray Compact(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString Str(const QJsonObject& object, const char* key) {
  return object.value(QLatin1String(key)).toString();
}

}  // namespace

void BiDiProgramState::Sent(const QJsonObject& command) {
  const QString method = Str(command, "method");
  const QJsonObject params = command.value("params").toObject();
  if (method == "session.subscribe" || method == "network.addIntercept" ||
      method == "script.addPreloadScript") {
    pending_[command.value("id").toDouble()] = method;
  } else if (method == "session.unsubscribe") {
    for (const auto& id : params.value("subscriptions").toArray())
      subscriptions_.erase(id.toString());
  } else if (method == "network.removeIntercept") {
    intercepts_.erase(Str(params, "intercept"));
  } else if (method == "script.removePreloadScript") {
    scripts_.erase(Str(params, "script"));
  }
}

void BiDiProgramState::Answered(const QJsonObject& answer) {
  auto pending = pending_.find(answer.value("id").toDouble());
  if (pending == pending_.end()) return;
  const QString method = pending->second;
  pending_.erase(pending);
  const QJsonObject result = answer.value("result").toObject();
  if (method == "session.subscribe" && !Str(result, "subscription").isEmpty()) {
    subscriptions_.insert(Str(result, "subscription"));
  } else if (method == "network.addIntercept" && !Str(result, "intercept").isEmpty()) {
    intercepts_.insert(Str(result, "intercept"));
  } else if (method == "script.addPreloadScript" && !Str(result, "script").isEmpty()) {
    scripts_.insert(Str(result, "script"));
  }
}

std::vector<QJsonObject> BiDiProgramState::TakeBack() {
  std::vector<QJsonObject> commands;
  if (!subscriptions_.empty()) {
    QJsonArray ids;
    for (const QString& id : subscriptions_) ids.append(id);
    commands.push_back(
        {{"method", "session.unsubscribe"}, {"params", QJsonObject{{"subscriptions", ids}}}});
  }
  for (const QString& id : intercepts_) {
    commands.push_back(
        {{"method", "network.removeIntercept"}, {"params", QJsonObject{{"intercept", id}}}});
  }
  for (const QString& id : scripts_) {
    commands.push_back(
        {{"method", "script.removePreloadScript"}, {"params", QJsonObject{{"script", id}}}});
  }
  subscriptions_.clear();
  intercepts_.clear();
  scripts_.clear();
  return commands;
}

BiDiRelay::BiDiRelay(LauncherServer& server) : server_(server) {
  socket_.setMaxAllowedIncomingMessageSize(MessageSocket::kMaxMessage);
  connect(&socket_, &QWebSocket::connected, this, [this] {
    Command("session.new", {{"capabilities", QJsonObject{}}}, [this](const QJsonObject& answer) {
      if (Str(answer, "type") != "success") {
        if (failed)
          failed("another program took Firefox's remote session first (" + Str(answer, "message") +
                 ")");
        return;
      }
      held_ = true;
      session_ = answer.value("result").toObject();
      if (ready) ready();
    });
  });
  connect(&socket_, &QWebSocket::disconnected, this, [this] {
    if (failed)
      failed(held_ ? "Firefox's remote session was lost" : "Firefox refused its remote session");
  });
  connect(&socket_, &QWebSocket::textMessageReceived, this,
          [this](const QString& text) { OnBrowserMessage(text); });
  connect(&server_, &LauncherServer::joined, this, [this](MessageSocket* client) {
    client_ = client;
    connect(client, &MessageSocket::messageReceived, this,
            [this](const QByteArray& message) { OnProgramMessage(message); });
  });
  connect(&server_, &LauncherServer::left, this, [this] { OnLeft(); });
}

void BiDiRelay::Open(const QUrl& url) { socket_.open(url); }

void BiDiRelay::Command(const QString& method, const QJsonObject& params, Answer answer) {
  double id = nextId_++;
  if (answer) answers_[id] = std::move(answer);
  socket_.sendTextMessage(
      QString::fromUtf8(Compact({{"id", id}, {"method", method}, {"params", params}})));
}

void BiDiRelay::OpenPages(const QStringList& addresses) {
  if (addresses.isEmpty()) return;
  Command("browsingContext.getTree", {{"maxDepth", 0}},
          [this, addresses](const QJsonObject& answer) {
            QJsonArray contexts = answer.value("result").toObject().value("contexts").toArray();
            QString first = Str(contexts.first().toObject(), "context");
            auto navigate = [this](const QString& context, const QString& url) {
              Command("browsingContext.navigate",
                      {{"context", context}, {"url", url}, {"wait", "none"}});
            };
            for (qsizetype i = 0; i < addresses.size(); ++i) {
              const QString url = addresses[i];
              if (i == 0 && !first.isEmpty()) {
                navigate(first, url);
                continue;
              }
              Command("browsingContext.create", {{"type", "tab"}},
                      [navigate, url](const QJsonObject& created) {
                        navigate(Str(created.value("result").toObject(), "context"), url);
                      });
            }
          });
}

void BiDiRelay::OnBrowserMessage(const QString& text) {
  QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
  if (message.contains("id") && message.value("id").toDouble() >= 1099511627776.0) {
    auto answer = answers_.find(message.value("id").toDouble());
    if (answer == answers_.end()) return;
    Answer answered = std::move(answer->second);
    answers_.erase(answer);
    answered(message);
    return;
  }
  if (message.contains("id")) {
    state_.Answered(message);
    // An answer to a program that has gone: what it set up goes at once.
    if (!client_) OnLeft();
  }
  if (client_) client_->send(text.toUtf8());
}

void BiDiRelay::OnProgramMessage(const QByteArray& message) {
  QJsonObject command = QJsonDocument::fromJson(message).object();
  const QString method = Str(command, "method");
  if (method == "session.new") {
    // The program joins the session held here.
    return Reply(command.value("id"), session_);
  }
  if (method == "session.end") {
    OnLeft();
    return Reply(command.value("id"), {});
  }
  state_.Sent(command);
  socket_.sendTextMessage(QString::fromUtf8(message));
}

void BiDiRelay::Reply(const QJsonValue& id, const QJsonObject& result) {
  if (client_) client_->send(Compact({{"type", "success"}, {"id", id}, {"result", result}}));
}

void BiDiRelay::OnLeft() {
  if (!server_.Client()) client_ = nullptr;
  for (const QJsonObject& command : state_.TakeBack()) {
    Command(Str(command, "method"), command.value("params").toObject());
  }
}

}  // namespace quorlen
