#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/chromium_browsers.h"
#include "tests/support/temp_folder.h"

namespace quorlen::testing_support {

// Lets the event loop run until `done` holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 15000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    usleep(5000);
  }
  return true;
}

inline void RunFor(int ms) {
  WaitUntil([] { return false; }, ms);
}

// A web server on loopback that serves given pages and writes down every path asked for.
class LoggingWebServer {
 public:
  LoggingWebServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Answer(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }

  int Port() const { return server_.serverPort(); }
  // The address of `path` on this server under the given host name.
  std::string Url(const std::string& path, const std::string& host = "127.0.0.1") const {
    return "http://" + host + ":" + std::to_string(Port()) + path;
  }
  void Page(const std::string& path, std::string html) { pages_[path] = std::move(html); }
  bool Asked(const std::string& path) const {
    for (const auto& asked : requests) {
      if (asked == path) return true;
    }
    return false;
  }

  std::vector<std::string> requests;

 private:
  void Answer(QTcpSocket* socket) {
    QByteArray& buffer = buffers_[socket];
    buffer += socket->readAll();
    if (!buffer.contains("\r\n\r\n")) return;
    QList<QByteArray> words = buffer.left(buffer.indexOf("\r\n")).split(' ');
    buffers_.erase(socket);
    std::string path = words.value(1).toStdString();
    requests.push_back(path);
    auto page = pages_.find(path.substr(0, path.find('?')));
    std::string body = page == pages_.end() ? "<html><body>plain page</body></html>" : page->second;
    std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-store\r\n"
                        "Connection: close\r\nContent-Length: " +
                        std::to_string(body.size()) + "\r\n\r\n" + body;
    socket->write(reply.data(), static_cast<qint64>(reply.size()));
    socket->disconnectFromHost();
  }

  QTcpServer server_;
  std::map<std::string, std::string> pages_;
  std::map<QTcpSocket*, QByteArray> buffers_;
};

// A headful Chromium with its own profile folder, listening for DevTools clients.
class ChromiumProcess {
 public:
  explicit ChromiumProcess(const std::string& profile) : profile_(profile) {}
  ~ChromiumProcess() { Kill(); }

  void Start(const std::vector<std::string>& urls) {
    QStringList arguments{QString::fromStdString("--user-data-dir=" + profile_),
                          "--remote-debugging-port=0", "--disable-popup-blocking",
                          "--disable-background-networking", "--disable-component-update",
                          "--disable-sync", "--no-first-run", "--no-default-browser-check",
                          "--disable-gpu", "--password-store=basic", "--window-size=900,700"};
    if (getuid() == 0) arguments << "--no-sandbox";
    for (const auto& url : urls) arguments << QString::fromStdString(url);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QString::fromStdString(profile_ + "/../chromium-stderr.txt"));
    process_.start("chromium", arguments);
    process_.waitForStarted(10000);
  }
  void Kill() {
    if (process_.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
    process_.waitForFinished(10000);
  }
  bool Running() const { return process_.state() != QProcess::NotRunning; }

 private:
  std::string profile_;
  QProcess process_;
};

}  // namespace quorlen::testing_support
