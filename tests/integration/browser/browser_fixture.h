#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/browser.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace quorlen::testing_support {

// Lets the event loop run until `done` holds or the time is up. The loop must answer the
// browser as promptly as the program's own would: a new window waits on its answer.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 15000) {
  return WaitFor(
      done, ms, [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }, 5);
}

inline void RunFor(int ms) {
  WaitUntil([] { return false; }, ms);
}

// Real input on the test's X display, as the user's own.
inline bool Xdotool(const std::string& arguments) {
  return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

// A button that asks for a window and a link below it; on load the page's script makes a
// click, a double click and a Shift press of its own, which are never the user's.
inline constexpr const char* kPressPage =
    "<html><body style='margin:0'><button id=b style='width:600px;height:300px' "
    "onclick=\"const w = window.open('/pressed.html?' + Date.now()); const gone = setInterval(() "
    "=> w.closed \x26\x26 (clearInterval(gone), fetch('/gone')), 50)\">press</button>"
    "<a id=l href='/own-tab.html' style='position:absolute;left:0;top:400px;font-size:60px'>"
    "tab</a><script>onload = () => { for (const type of ['mousedown', 'dblclick']) "
    "b.dispatchEvent(new MouseEvent(type, {bubbles: true})); "
    "dispatchEvent(new KeyboardEvent('keydown', {key: 'Shift'})) }</script></body></html>";

inline std::string Lines(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& line : lines) all += line + "\n";
  return all;
}

// A web server on loopback that serves given pages and writes down every path asked for.
class LoggingWebServer {
 public:
  LoggingWebServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, socket,
                         [this, socket] { Answer(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      }
    });
  }

  int Port() const { return server_.serverPort(); }
  std::string Url(const std::string& path, const std::string& host = "127.0.0.1") const {
    return "http://" + host + ":" + std::to_string(Port()) + path;
  }
  void Page(const std::string& path, std::string html) { pages_[path] = std::move(html); }
  bool Asked(const std::string& path) const { return Count(path) > 0; }
  int Count(const std::string& path) const {
    return static_cast<int>(std::count(requests.begin(), requests.end(), path));
  }
  std::string Dump() const { return Lines(requests); }

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
    std::string reply =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-store\r\n"
        "Connection: close\r\nContent-Length: " +
        std::to_string(body.size()) + "\r\n\r\n" + body;
    socket->write(reply.data(), static_cast<qint64>(reply.size()));
    socket->disconnectFromHost();
  }

  QTcpServer server_;
  std::map<std::string, std::string> pages_;
  std::map<QTcpSocket*, QByteArray> buffers_;
};

// A headful Chromium or Firefox started by the program's launcher, in folders of its own.
class BrowserProcess {
 public:
  BrowserProcess(const std::string& config, bool firefox) : config_(config), firefox_(firefox) {}
  ~BrowserProcess() { Kill(); }

  std::string Profile() const {
    return config_ + (firefox_ ? "/quorlen/firefox" : "/quorlen/browser");
  }
  std::string Socket() const {
    return config_ + (firefox_ ? "/run/quorlen/firefox.sock" : "/run/quorlen/chromium.sock");
  }
  void Start(const std::vector<std::string>& urls) {
    std::filesystem::create_directories(config_ + "/home");
    std::filesystem::create_directories(config_ + "/run");
    std::filesystem::permissions(config_ + "/run", std::filesystem::perms::owner_all);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config_));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(config_ + "/run"));
    QStringList arguments{"--firefox"};
    if (firefox_) {
      environment.insert("HOME", QString::fromStdString(config_ + "/home"));
      environment.insert("MOZ_CRASHREPORTER_DISABLE", "1");
    } else {
      arguments = QString(
                      "--disable-background-networking --disable-component-update "
                      "--disable-sync --no-first-run --no-default-browser-check --disable-gpu "
                      "--password-store=basic --window-size=900,700 --window-position=0,0")
                      .split(' ');
    }
    process_.setProcessEnvironment(environment);
    for (const auto& url : urls) arguments << QString::fromStdString(url);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QString::fromStdString(config_ + "/browser-stderr.txt"));
    process_.start(QUORLEN_LAUNCHER, arguments);
    process_.waitForStarted(10000);
  }
  // Kills the launcher; the browser goes with it. Chromium is waited for, so that a
  // browser started next on the profile is not handed to the one still ending.
  void Kill() {
    if (process_.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
    process_.waitForFinished(10000);
    if (firefox_) return;
    // pgrep itself, not through a shell, whose own command line would name the profile.
    const QStringList running{"-f", "--", QString::fromStdString("--user-data-dir=" + Profile())};
    if (!WaitUntil([&] { return QProcess::execute("pgrep", running) == 1; }, 10000))
      ADD_FAILURE() << "Chromium on " << Profile() << " did not end";
  }

 private:
  std::string config_;
  bool firefox_;
  QProcess process_;
};

// Follows every window as the program's tracker does (a rebuild on each change), writes
// down every event and answers new windows as told.
class RecordingTracker : public BrowserShellEvents {
 public:
  explicit RecordingTracker(BrowserShell& shell) : shell_(shell) {}
  ~RecordingTracker() override { Stop(); }

  void Start() {
    Rebuild();
    shell_.Connect(this);
  }
  // Lets go of every window and browser, as the program does when blocking is switched off.
  void Stop() {
    listeners_.clear();
    shell_.Connect(nullptr);
  }
  void WindowOpened(std::int32_t) override {
    events.push_back("registered");
    Rebuild();
  }
  void WindowClosed(std::int32_t) override {
    events.push_back("revoked");
    Rebuild();
  }
  int Windows() const { return static_cast<int>(listeners_.size()); }
  bool Has(const std::string& event) const { return At(event) >= 0; }
  // Where `event` first occurs; -1 when it does not.
  int At(const std::string& event) const {
    auto it = std::find(events.begin(), events.end(), event);
    return it == events.end() ? -1 : static_cast<int>(it - events.begin());
  }
  int Count(const std::string& event) const {
    return static_cast<int>(std::count(events.begin(), events.end(), event));
  }
  // Whether an event that begins with `prefix` occurs from `from` on, before `to`.
  bool HasBetween(const std::string& prefix, size_t from, size_t to) const {
    for (size_t at = from; at < std::min(to, events.size()); ++at) {
      if (events[at].compare(0, prefix.size(), prefix) == 0) return true;
    }
    return false;
  }
  // Whether these events occur in this order, others between them.
  bool InOrder(const std::vector<std::string>& order) const {
    auto at = events.begin();
    for (const auto& event : order) {
      if ((at = std::find(at, events.end(), event)) == events.end()) return false;
    }
    return true;
  }
  std::string Dump() const { return Lines(events); }

  std::vector<std::string> events;
  bool cancelNewWindows = true;
  int newWindows = 0;
  // For each window asked about, how long before its announcement the page asked.
  std::vector<int> msSinceAsked;

 private:
  class Listener : public BrowserWindowEvents {
   public:
    Listener(RecordingTracker& tracker, std::shared_ptr<BrowserWindow> window)
        : tracker_(tracker), window_(std::move(window)) {
      window_->Connect(this);
    }
    ~Listener() override { window_->Connect(nullptr); }
    void NavigationStarting(const std::string& url, bool top) override { Add("before", url, top); }
    void LoadingStarted() override { Add("download begin"); }
    void NavigationCommitted(const std::string& url, bool top) override {
      Add("complete", url, top);
    }
    void DocumentLoaded(const std::string& url, bool top) override { Add("document", url, top); }
    void LoadingStopped() override { Add("download complete"); }
    bool WindowRequested(int msSinceAsked) override {
      ++tracker_.newWindows;
      tracker_.msSinceAsked.push_back(msSinceAsked);
      Add("new window from " + window_->PageAddress().value_or("?"));
      return tracker_.cancelNewWindows;
    }
    void WindowClosing() override { Add("quit " + window_->PageAddress().value_or("?")); }
    void InputSeen(const PageInput& input) override {
      const char* kinds[] = {"down ", "double ", "key "};
      Add(std::string("input ") + kinds[static_cast<int>(input.kind)] +
          std::to_string(input.virtualKey) + (input.shift ? " shift" : "") +
          (input.control ? " ctrl" : "") + (input.alt ? " alt" : ""));
    }

   private:
    void Add(std::string event) { tracker_.events.push_back(std::move(event)); }
    void Add(const char* what, const std::string& url, bool top) {
      Add(what + std::string(top ? " top " : " frame ") + url);
    }
    RecordingTracker& tracker_;
    std::shared_ptr<BrowserWindow> window_;
  };

  void Rebuild() {
    listeners_.clear();
    for (auto& window : shell_.Windows()) {
      listeners_.push_back(std::make_unique<Listener>(*this, window));
    }
  }

  BrowserShell& shell_;
  std::vector<std::unique_ptr<Listener>> listeners_;
};

}  // namespace quorlen::testing_support
