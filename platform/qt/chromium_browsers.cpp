#include "platform/qt/chromium_browsers.h"

#include <QDateTime>
#include <QFile>
#include <QUrl>
#include <cstdlib>

namespace quorlen {

namespace {

// A port file that could not be joined is tried again when it changes, or after this.
constexpr qint64 kRetryMs = 5000;

std::string ConfigFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) return config;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config";
}

}  // namespace

ChromiumBrowsers::ChromiumBrowsers(std::vector<std::string> profileFolders, int scanMs)
    : folders_(std::move(profileFolders)) {
  scan_.setInterval(scanMs);
  QObject::connect(&scan_, &QTimer::timeout, &scan_, [this] { Scan(); });
}

ChromiumBrowsers::~ChromiumBrowsers() { connections_.clear(); }

std::vector<std::string> ChromiumBrowsers::DefaultProfileFolders() {
  std::string config = ConfigFolder();
  return {config + "/quorlen/browser", config + "/chromium"};
}

std::vector<std::shared_ptr<BrowserWindow>> ChromiumBrowsers::Windows() {
  std::vector<std::shared_ptr<BrowserWindow>> windows;
  for (const auto& folder : folders_) {
    auto connection = connections_.find(folder);
    if (connection == connections_.end()) continue;
    for (auto& window : connection->second->Windows()) windows.push_back(window);
  }
  return windows;
}

int ChromiumBrowsers::JoinedBrowsers() const {
  int joined = 0;
  for (const auto& [folder, connection] : connections_) joined += connection->Open() ? 1 : 0;
  return joined;
}

void ChromiumBrowsers::Connect(BrowserShellEvents* sink) {
  sink_ = sink;
  if (sink_ == nullptr) {
    // Letting go of a browser resumes whatever it held for the program.
    scan_.stop();
    connections_.clear();
    attempts_.clear();
    return;
  }
  scan_.start();
  Scan();
}

void ChromiumBrowsers::Scan() {
  for (const auto& folder : folders_) {
    if (connections_.count(folder) != 0) continue;
    QFile file(QString::fromStdString(folder + "/DevToolsActivePort"));
    if (!file.open(QIODevice::ReadOnly)) continue;
    std::string content = file.read(4096).toStdString();
    auto attempt = attempts_.find(folder);
    qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (attempt != attempts_.end() && attempt->second.file == content &&
        now - attempt->second.at < kRetryMs) {
      continue;
    }
    attempts_[folder] = {content, now};
    Join(folder, content);
  }
}

void ChromiumBrowsers::Join(const std::string& folder, const std::string& portFile) {
  QStringList lines = QString::fromStdString(portFile).split('\n');
  bool number = false;
  int port = lines.value(0).trimmed().toInt(&number);
  QString path = lines.value(1).trimmed();
  if (!number || port <= 0 || port > 65535 || !path.startsWith('/')) return;
  QUrl url;
  url.setScheme("ws");
  url.setHost("127.0.0.1");
  url.setPort(port);
  url.setPath(path);
  DevToolsConnection::Owner owner;
  owner.windowOpened = [this](const std::shared_ptr<DevToolsWindow>&) {
    if (sink_) sink_->WindowRegistered(nextCookie_++);
  };
  owner.windowClosed = [this](const std::shared_ptr<DevToolsWindow>&) {
    if (sink_) sink_->WindowRevoked(nextCookie_++);
  };
  owner.lost = [this, folder] { Lost(folder); };
  owner.log = [this](const std::string& message) {
    if (log) log(message);
  };
  connections_[folder] = std::make_unique<DevToolsConnection>(url, folder, std::move(owner));
}

void ChromiumBrowsers::Lost(const std::string& folder) {
  auto connection = connections_.find(folder);
  if (connection == connections_.end()) return;
  // The socket is inside its own signal: it goes once that has returned.
  DevToolsConnection* gone = connection->second.release();
  QTimer::singleShot(0, [gone] { delete gone; });
  connections_.erase(connection);
}

}  // namespace quorlen
