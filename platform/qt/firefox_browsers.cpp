#include "platform/qt/firefox_browsers.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include "platform/qt/bidi_connection.h"

namespace quorlen {

FirefoxBrowsers::FirefoxBrowsers(std::vector<std::string> profileFolders, int scanMs)
    : WatchedBrowsers(std::move(profileFolders), "WebDriverBiDiServer.json", scanMs) {}

std::vector<std::string> FirefoxBrowsers::DefaultProfileFolders() {
  return {ConfigFolder() + "/quorlen/firefox"};
}

std::unique_ptr<BrowserConnection> FirefoxBrowsers::Join(const std::string& folder,
                                                         const std::string& portFile,
                                                         BrowserConnection::Owner owner) {
  QJsonObject server = QJsonDocument::fromJson(QByteArray::fromStdString(portFile)).object();
  QString host = server.value("ws_host").toString();
  int port = server.value("ws_port").toInt(0);
  // Only a browser on this machine is joined.
  bool local = host == "localhost" || QHostAddress(host).isLoopback();
  if (!local || port <= 0 || port > 65535) return nullptr;
  QUrl url;
  url.setScheme("ws");
  url.setHost(host);
  url.setPort(port);
  url.setPath("/session");
  return std::make_unique<BiDiConnection>(url, folder, std::move(owner));
}

}  // namespace quorlen
