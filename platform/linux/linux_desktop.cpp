#include "platform/linux/linux_desktop.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/linux/desktop_entry.h"

namespace quorlen {

namespace {

std::string_view Strip(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// gsettings prints strings in single quotes.
std::string_view Unquote(std::string_view text) {
  text = Strip(text);
  if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

std::string RunCommand(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return {};
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  ::pclose(pipe);
  return output;
}

std::string Variable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

// One shell word, whatever the text holds.
std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

namespace desktop_proxy {

std::string FromGnome(std::string_view mode, std::string_view host, std::string_view port) {
  if (Unquote(mode) != "manual") return {};
  std::string_view name = Unquote(host);
  if (name.empty()) return {};
  std::string_view number = Strip(port);
  if (number.empty() || number == "0") return std::string(name);
  return std::string(name) + ":" + std::string(number);
}

std::string FromUrl(std::string_view url) {
  url = Strip(url);
  if (auto scheme = url.find("://"); scheme != std::string_view::npos)
    url.remove_prefix(scheme + 3);
  if (auto path = url.find('/'); path != std::string_view::npos) url = url.substr(0, path);
  return std::string(url);
}

std::string FromKioslaverc(std::string_view text) {
  bool inProxySection = false;
  std::string type;
  std::string http;
  std::istringstream lines{std::string(text)};
  for (std::string raw; std::getline(lines, raw);) {
    std::string_view line = Strip(raw);
    if (!line.empty() && line.front() == '[') {
      inProxySection = line == "[Proxy Settings]";
      continue;
    }
    if (!inProxySection) continue;
    auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = Strip(line.substr(0, equals));
    std::string_view value = Strip(line.substr(equals + 1));
    if (key == "ProxyType") type = value;
    if (key == "httpProxy") http = value;
  }
  if (type != "1" || http.empty()) return {};
  // KDE writes either "http://host:port" or "http://host port".
  std::string proxy = FromUrl(http);
  if (auto blank = proxy.find(' '); blank != std::string::npos) {
    std::string port = std::string(Strip(std::string_view(proxy).substr(blank + 1)));
    proxy = proxy.substr(0, blank) + (port.empty() ? "" : ":" + port);
  }
  return proxy;
}

}  // namespace desktop_proxy

LinuxDesktop::LinuxDesktop() : LinuxDesktop(RunCommand, Variable) {}

LinuxDesktop::LinuxDesktop(Command command, Environment environment, Starter start)
    : command_(std::move(command)),
      environment_(std::move(environment)),
      start_(std::move(start)) {}

std::string LinuxDesktop::GnomeProxy() {
  std::string mode = command_("gsettings get org.gnome.system.proxy mode");
  if (Unquote(mode) != "manual") return {};
  return desktop_proxy::FromGnome(mode, command_("gsettings get org.gnome.system.proxy.http host"),
                                  command_("gsettings get org.gnome.system.proxy.http port"));
}

std::string LinuxDesktop::KdeProxy() {
  std::string config = environment_("XDG_CONFIG_HOME");
  if (config.empty()) config = environment_("HOME") + "/.config";
  std::ifstream file(config + "/kioslaverc", std::ios::binary);
  if (!file) return {};
  std::ostringstream text;
  text << file.rdbuf();
  return desktop_proxy::FromKioslaverc(text.str());
}

std::string LinuxDesktop::ProxyServer() {
  if (std::string proxy = GnomeProxy(); !proxy.empty()) return proxy;
  if (std::string proxy = KdeProxy(); !proxy.empty()) return proxy;
  for (const char* name : {"http_proxy", "HTTP_PROXY"}) {
    if (std::string proxy = desktop_proxy::FromUrl(environment_(name)); !proxy.empty()) {
      return proxy;
    }
  }
  return {};
}

std::vector<std::string> LinuxDesktop::ApplicationFolders() {
  return desktop_entry::ApplicationFolders(environment_("XDG_DATA_HOME"), environment_("HOME"),
                                           environment_("XDG_DATA_DIRS"));
}

std::string LinuxDesktop::EntryText(const std::string& id) {
  std::string name(Strip(id));
  if (name.empty()) return {};
  std::string file = desktop_entry::Find(name, ApplicationFolders());
  if (file.empty()) return {};
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string LinuxDesktop::EntryCommand(const std::string& id) {
  return desktop_entry::CommandLine(
      desktop_entry::Arguments(desktop_entry::ExecValue(EntryText(id))));
}

bool LinuxDesktop::OpenWithEntry(const std::string& id, const std::string& path,
                                 bool graphicalOnly) {
  std::string entry = EntryText(id);
  auto arguments = desktop_entry::Arguments(desktop_entry::ExecValue(entry));
  if (arguments.empty()) return false;
  arguments.push_back(path);
  if (desktop_entry::Value(entry, "Terminal") != "true") return start_(arguments);
  if (graphicalOnly) return false;
  // A program that runs in a terminal shows nothing started on its own: the desktop's
  // terminal runs it, as Debian's x-terminal-emulator -e promises.
  arguments.insert(arguments.begin(), {"x-terminal-emulator", "-e"});
  return start_(arguments);
}

bool LinuxDesktop::OpenTextFile(const std::string& path) {
  std::string chosen(Strip(command_("xdg-mime query default text/plain")));
  if (!chosen.empty() && OpenWithEntry(chosen, path, false)) return true;
  for (const auto& id : desktop_entry::Handlers("text/plain", ApplicationFolders())) {
    if (id != chosen && OpenWithEntry(id, path, true)) return true;
  }
  return start_({"xdg-open", path});
}

std::string LinuxDesktop::FindBrowser(const std::string& pageFile) {
  if (auto browser = EntryCommand(command_("xdg-settings get default-web-browser"));
      !browser.empty()) {
    return browser;
  }
  std::string type(Strip(command_("xdg-mime query filetype " + ShellQuoted(pageFile))));
  if (type.empty()) type = "text/html";
  return EntryCommand(command_("xdg-mime query default " + type));
}

bool LinuxDesktop::StartBrowser(const std::string& program, const std::string& address) {
  auto arguments = desktop_entry::Arguments(program);
  arguments.push_back(address);
  return start_(arguments);
}

}  // namespace quorlen
