#include "launcher/devtools_relay.h"

#include <fcntl.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>

namespace quorlen {

namespace {

std::optional<QJsonObject> Parse(const QByteArray& message) {
  QJsonParseError error{};
  QJsonDocument document = QJsonDocument::fromJson(message, &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
  return document.object();
}

QByteArray Compact(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

}  // namespace

std::optional<QByteArray> ToBrowserSession(const QByteArray& message, const QString& session) {
  std::optional<QJsonObject> object = Parse(message);
  if (!object) return std::nullopt;
  if (object->contains("sessionId")) return message;
  object->insert("sessionId", session);
  return Compact(*object);
}

DevToolsRoute FromBrowserSession(const QByteArray& message, const QString& session) {
  std::optional<QJsonObject> object = Parse(message);
  if (!object || session.isEmpty()) return {};
  const QString sessionId = object->value("sessionId").toString();
  // The pipe's own session is the launcher's; the program's session is its top level.
  if (sessionId.isEmpty()) return {};
  if (sessionId != session) return {true, message};
  object->remove("sessionId");
  return {true, Compact(*object)};
}

DevToolsRelay::DevToolsRelay(int toBrowser, int fromBrowser, LauncherServer& server)
    : toBrowser_(toBrowser),
      fromBrowser_(fromBrowser),
      server_(server),
      readable_(fromBrowser, QSocketNotifier::Read),
      writable_(toBrowser, QSocketNotifier::Write) {
  ::fcntl(toBrowser_, F_SETFL, ::fcntl(toBrowser_, F_GETFL) | O_NONBLOCK);
  ::fcntl(fromBrowser_, F_SETFL, ::fcntl(fromBrowser_, F_GETFL) | O_NONBLOCK);
  writable_.setEnabled(false);
  connect(&readable_, &QSocketNotifier::activated, this, [this] { OnReadable(); });
  connect(&writable_, &QSocketNotifier::activated, this, [this] { OnWritable(); });
  connect(&server_, &LauncherServer::joined, this,
          [this](MessageSocket* client) { OnJoined(client); });
  connect(&server_, &LauncherServer::left, this, [this] { OnLeft(); });
  Command("Browser.getVersion", {}, [this](const QJsonObject&) {
    if (ready) ready();
  });
}

DevToolsRelay::~DevToolsRelay() {
  ::close(toBrowser_);
  ::close(fromBrowser_);
}

void DevToolsRelay::OnReadable() {
  char chunk[65536];
  for (;;) {
    ssize_t got = ::read(fromBrowser_, chunk, sizeof chunk);
    if (got > 0) {
      inbox_.append(chunk, got);
      continue;
    }
    if (got == 0) readable_.setEnabled(false);  // the browser has closed its end
    break;
  }
  qsizetype start = 0;
  for (qsizetype end; (end = inbox_.indexOf('\0', start)) >= 0; start = end + 1) {
    OnBrowserMessage(inbox_.mid(start, end - start));
  }
  inbox_.remove(0, start);
}

void DevToolsRelay::WriteToBrowser(const QByteArray& message) {
  outbox_.append(message).append('\0');
  OnWritable();
}

void DevToolsRelay::OnWritable() {
  while (!outbox_.isEmpty()) {
    ssize_t sent = ::write(toBrowser_, outbox_.constData(), static_cast<size_t>(outbox_.size()));
    if (sent <= 0) break;
    outbox_.remove(0, sent);
  }
  // A full pipe is written on once the browser has read from it.
  writable_.setEnabled(!outbox_.isEmpty());
}

void DevToolsRelay::Command(const QString& method, const QJsonObject& params,
                            std::function<void(const QJsonObject&)> answered) {
  int id = nextId_++;
  answers_[id] = std::move(answered);
  WriteToBrowser(Compact({{"id", id}, {"method", method}, {"params", params}}));
}

void DevToolsRelay::OnBrowserMessage(const QByteArray& message) {
  DevToolsRoute route = FromBrowserSession(message, session_);
  if (route.toProgram) {
    if (client_) client_->send(route.message);
    return;
  }
  std::optional<QJsonObject> object = Parse(message);
  if (!object || object->contains("sessionId") || !object->contains("id")) return;
  auto answer = answers_.find(object->value("id").toInt());
  if (answer == answers_.end()) return;
  auto answered = std::move(answer->second);
  answers_.erase(answer);
  if (answered) answered(object->value("result").toObject());
}

void DevToolsRelay::OnJoined(MessageSocket* client) {
  client_ = client;
  connect(client, &MessageSocket::messageReceived, this, [this, client](const QByteArray& message) {
    if (client != client_) return;
    if (session_.isEmpty()) {
      waiting_.push_back(message);
      return;
    }
    if (auto command = ToBrowserSession(message, session_)) WriteToBrowser(*command);
  });
  Command("Target.attachToBrowserTarget", {}, [this, client](const QJsonObject& result) {
    QString session = result.value("sessionId").toString();
    if (client != client_) {
      // The program left before its session came: it ends at once.
      if (!session.isEmpty()) Command("Target.detachFromTarget", {{"sessionId", session}}, {});
      return;
    }
    session_ = session;
    if (session_.isEmpty()) return client_->abort();
    for (const QByteArray& message : waiting_) {
      if (auto command = ToBrowserSession(message, session_)) WriteToBrowser(*command);
    }
    waiting_.clear();
  });
}

void DevToolsRelay::OnLeft() {
  client_ = nullptr;
  waiting_.clear();
  if (session_.isEmpty()) return;
  // Ending its session lets every paused window and held request of the program go on.
  Command("Target.detachFromTarget", {{"sessionId", session_}}, {});
  session_.clear();
}

}  // namespace quorlen
