#pragma once

#include <string>

namespace quorlen {

// What the program asks of the user's desktop: its web proxy setting, its text editor and
// its web browser.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // The proxy the desktop is set to use for web pages, as "host:port"; empty for none.
  virtual std::string ProxyServer() = 0;
  // Opens a text file in the desktop's text editor, without waiting. False when no
  // editor could be started.
  virtual bool OpenTextFile(const std::string& path) = 0;
  // The program the desktop opens web pages with, as the command line that starts it;
  // empty when the desktop names none. `pageFile` is a web page on disk, standing for the
  // kind of file asked about.
  virtual std::string FindBrowser(const std::string& pageFile) = 0;
  // Starts `program`, a command line as FindBrowser gives it, with `address` as its last
  // argument, without waiting. False when it could not be started.
  virtual bool StartBrowser(const std::string& program, const std::string& address) = 0;
};

}  // namespace quorlen
