#include "platform/qt/watched_browsers.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <algorithm>
#include <cstdlib>

namespace quorlen {

void BrowserConnection::Join(const QString& launcherSocket) {
  QObject::connect(&socket_, &MessageSocket::connected, &socket_, [this] {
    connected_ = true;
    OnConnected();
  });
  QObject::connect(&socket_, &MessageSocket::messageReceived, &socket_,
                   [this](const QByteArray& text) { OnMessage(QString::fromUtf8(text)); });
  QObject::connect(&socket_, &MessageSocket::errorOccurred, &socket_, [this] {
    if (!connected_) ReportLost();  // never joined: nobody will say disconnected
  });
  QObject::connect(&socket_, &MessageSocket::disconnected, &socket_, [this] {
    connected_ = false;
    OnDropped();
    ReportLost();
  });
  socket_.open(launcherSocket);
}

void BrowserConnection::ReportLost() {
  if (lostReported_) return;
  lostReported_ = true;
  if (owner_.lost) owner_.lost();
}

std::optional<QJsonObject> BrowserConnection::ParseMessage(const QString& text) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) {
    ++malformed_;
    return std::nullopt;
  }
  return document.object();
}

namespace {

// A socket that could not be joined is tried again when it changes, or after this.
constexpr qint64 kRetryMs = 5000;

}  // namespace

std::optional<std::string> JoinedWindow::PageAddress() {
  if (closed_) return std::nullopt;
  return url_;
}

BrowserWindowProperties JoinedWindow::Properties() {
  BrowserWindowProperties properties;
  if (closed_) return properties;
  if (!product_.empty()) properties.application = product_;
  properties.locationName = title_;
  properties.locationUrl = url_;
  properties.path = profileFolder_;
  properties.type = "page";
  return properties;
}

// The socket at `path` as "<inode> <change time>": a launcher's new start makes a new one.
std::optional<std::string> SocketIdentity(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) {
    return std::nullopt;
  }
  return std::to_string(info.st_ino) + " " + std::to_string(info.st_ctim.tv_sec) + "." +
         std::to_string(info.st_ctim.tv_nsec);
}

WatchedBrowsers::WatchedBrowsers(std::vector<Place> places, int scanMs)
    : places_(std::move(places)) {
  for (const auto& place : places_) folders_.push_back(place.profileFolder);
  scan_.setInterval(scanMs);
  QObject::connect(&scan_, &QTimer::timeout, &scan_, [this] { Scan(); });
  auto changed = [this] {
    if (sink_) Scan();
  };
  QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, &scan_, changed);
}

WatchedBrowsers::~WatchedBrowsers() {
  connections_.clear();
  leaving_.clear();
}

std::vector<std::shared_ptr<BrowserWindow>> WatchedBrowsers::Windows() {
  std::vector<std::shared_ptr<BrowserWindow>> windows;
  for (const auto& folder : folders_) {
    auto connection = connections_.find(folder);
    if (connection == connections_.end()) continue;
    for (auto& window : connection->second->Windows()) windows.push_back(window);
  }
  return windows;
}

void WatchedBrowsers::FinishLeaving(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!leaving_.empty() && timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

int WatchedBrowsers::JoinedBrowsers() const {
  int joined = 0;
  for (const auto& [folder, connection] : connections_) joined += connection->Open() ? 1 : 0;
  return joined;
}

void WatchedBrowsers::Connect(BrowserShellEvents* sink) {
  sink_ = sink;
  JoinOrLeave();
}

void WatchedBrowsers::AnswerAdServers(AdServerAnswers answers) {
  answers_ = std::move(answers);
  BlockedServersChanged(answers_.names);
  const AdServerAnswers* given = Answering() ? &answers_ : nullptr;
  for (auto& [folder, connection] : connections_) connection->AnswerAdServers(given);
  JoinOrLeave();
}

bool WatchedBrowsers::Answering() const {
  return JoinsToAnswer() && answers_.names && !answers_.names->empty() && answers_.answer;
}

void WatchedBrowsers::JoinOrLeave() {
  if (sink_ == nullptr && !Answering()) {
    if (scan_.isActive()) LeaveAll();
    return;
  }
  scan_.start();
  Scan();
}

void WatchedBrowsers::LeaveAll() {
  // Letting go of a browser gives back whatever it held for the program.
  scan_.stop();
  QStringList watched = watcher_.directories() + watcher_.files();
  if (!watched.isEmpty()) watcher_.removePaths(watched);
  auto connections = std::move(connections_);
  connections_.clear();
  attempts_.clear();
  for (auto& [folder, connection] : connections) {
    BrowserConnection* leaving = connection.get();
    auto done = [this, leaving] {
      // The socket is inside its own signal: the connection goes once that has returned.
      QTimer::singleShot(0, &scan_, [this, leaving] {
        auto it = std::find_if(leaving_.begin(), leaving_.end(),
                               [&](const auto& held) { return held.get() == leaving; });
        if (it != leaving_.end()) leaving_.erase(it);
      });
    };
    if (connection->Leave(std::move(done))) leaving_.push_back(std::move(connection));
  }
}

void WatchedBrowsers::Scan() {
  for (const auto& [folder, socket] : places_) {
    if (connections_.count(folder) != 0) continue;
    Watch(socket);
    std::optional<std::string> identity = SocketIdentity(socket);
    if (!identity) continue;
    const std::string& content = *identity;
    auto attempt = attempts_.find(folder);
    qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (attempt != attempts_.end() && attempt->second.file == content &&
        now - attempt->second.at < kRetryMs) {
      continue;
    }
    attempts_[folder] = {content, now};
    BrowserConnection::Owner owner;
    owner.windowOpened = [this](const std::shared_ptr<BrowserWindow>&) {
      if (sink_) sink_->WindowOpened(nextCookie_++);
    };
    owner.windowClosed = [this](const std::shared_ptr<BrowserWindow>&) {
      if (sink_) sink_->WindowClosed(nextCookie_++);
    };
    owner.lost = [this, folder = folder] { Lost(folder); };
    owner.log = [this](const std::string& message) {
      if (log) log(message);
    };
    if (auto connection = Join(folder, socket, std::move(owner))) {
      connection->AnswerAdServers(Answering() ? &answers_ : nullptr);
      connections_[folder] = std::move(connection);
    }
  }
}

void WatchedBrowsers::Watch(const std::string& socket) {
  if (socket.empty()) return;
  // The folder is made here when no launcher has made it yet, so that the first one to
  // start is heard of at once; it is the user's alone, as the launchers make it.
  QString folder = QFileInfo(QString::fromStdString(socket)).path();
  if (watcher_.directories().contains(folder)) return;
  ::mkdir(QFile::encodeName(folder).constData(), 0700);
  if (QFileInfo::exists(folder)) watcher_.addPath(folder);
}

void WatchedBrowsers::Lost(const std::string& folder) {
  auto connection = connections_.find(folder);
  if (connection == connections_.end()) return;
  // The socket is inside its own signal: it goes once that has returned.
  BrowserConnection* gone = connection->second.release();
  QTimer::singleShot(0, [gone] { delete gone; });
  connections_.erase(connection);
  // A launcher that started while a dead one's socket was being tried is joined at once.
  QTimer::singleShot(0, &scan_, [this] {
    if (scan_.isActive()) Scan();
  });
}

}  // namespace quorlen

namespace quorlen {

std::string HttpRequestText(const std::string& method, const QUrl& url,
                            const std::function<std::optional<std::string>(const char*)>& header) {
  std::string target = url.path(QUrl::FullyEncoded).toStdString();
  if (target.empty()) target = "/";
  if (url.hasQuery()) target += "?" + url.query(QUrl::FullyEncoded).toStdString();
  std::string host = url.host(QUrl::FullyEncoded).toStdString();
  if (url.port() != -1) host += ":" + std::to_string(url.port());
  std::string text = method + " " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
  for (const char* name : {"Referer", "User-Agent"}) {
    if (auto value = header(name)) text += std::string(name) + ": " + *value + "\r\n";
  }
  return text + "\r\n";
}

}  // namespace quorlen
