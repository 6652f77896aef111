#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"
#include "platform/linux/desktop_entry.h"

namespace quorlen {

// The proxy setting of a Linux desktop, looked for where the desktops keep it: GNOME's
// settings (mode "manual" with an HTTP host and port), else KDE's kioslaverc (manual
// proxy type), else the http_proxy variable. Text files open in the program the desktop
// opens plain text with (in the desktop's terminal when the program runs in one), else in
// another editor the desktop lists for plain text, else through xdg-open; web pages in
// the desktop's default browser (xdg-settings), else in the program for the page file's
// type (xdg-mime).
class LinuxDesktop : public Desktop {
 public:
  // Runs a command and gives its standard output; empty when it cannot run.
  using Command = std::function<std::string(const std::string& command)>;
  using Environment = std::function<std::string(const std::string& name)>;
  // Starts a program with its arguments without waiting; false when it cannot start.
  using Starter = std::function<bool(const std::vector<std::string>& arguments)>;

  LinuxDesktop();
  LinuxDesktop(Command command, Environment environment, Starter start = StartDetached);

  std::string ProxyServer() override;
  bool OpenTextFile(const std::string& path) override;
  std::string FindBrowser(const std::string& pageFile) override;
  bool StartBrowser(const std::string& program, const std::string& address) override;

 private:
  std::string GnomeProxy();
  std::string KdeProxy();
  std::vector<std::string> ApplicationFolders();
  // The text of the desktop entry with this id (as xdg-mime answers it); empty when no
  // such entry is installed.
  std::string EntryText(const std::string& id);
  // The command line of the desktop entry with this id; empty when there is none.
  std::string EntryCommand(const std::string& id);
  // Starts the entry's program on `path`, in a terminal when the entry asks for one.
  bool OpenWithEntry(const std::string& id, const std::string& path, bool graphicalOnly);

  Command command_;
  Environment environment_;
  Starter start_;
};

namespace desktop_proxy {
// "host:port" from GNOME's answers (quoted strings as gsettings prints them); empty
// unless the mode is manual and a host is set.
std::string FromGnome(std::string_view mode, std::string_view host, std::string_view port);
// "host:port" from the text of kioslaverc; empty unless ProxyType is 1 (manual).
std::string FromKioslaverc(std::string_view text);
// "host:port" from a proxy URL such as "http://proxy:3128/"; user and password stay.
std::string FromUrl(std::string_view url);
}  // namespace desktop_proxy

}  // namespace quorlen
