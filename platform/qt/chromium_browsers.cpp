#include "platform/qt/chromium_browsers.h"

#include <QStringList>
#include <QUrl>

#include "platform/qt/devtools_connection.h"

namespace quorlen {

ChromiumBrowsers::ChromiumBrowsers(std::vector<std::string> profileFolders, int scanMs)
    : WatchedBrowsers(std::move(profileFolders), "DevToolsActivePort", scanMs) {}

std::vector<std::string> ChromiumBrowsers::DefaultProfileFolders() {
  std::string config = ConfigFolder();
  return {config + "/quorlen/browser", config + "/chromium"};
}

std::unique_ptr<BrowserConnection> ChromiumBrowsers::Join(const std::string& folder,
                                                          const std::string& portFile,
                                                          BrowserConnection::Owner owner) {
  QStringList lines = QString::fromStdString(portFile).split('\n');
  bool number = false;
  int port = lines.value(0).trimmed().toInt(&number);
  QString path = lines.value(1).trimmed();
  if (!number || port <= 0 || port > 65535 || !path.startsWith('/')) return nullptr;
  QUrl url;
  url.setScheme("ws");
  url.setHost("127.0.0.1");
  url.setPort(port);
  url.setPath(path);
  return std::make_unique<DevToolsConnection>(url, folder, std::move(owner));
}

}  // namespace quorlen
