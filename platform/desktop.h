#pragma once

#include <string>

namespace quorlen {

// What the program asks of the user's desktop: its web proxy setting and its text editor.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // The proxy the desktop is set to use for web pages, as "host:port"; empty for none.
  virtual std::string ProxyServer() = 0;
  // Opens a text file in the desktop's text editor, without waiting for it. False when
  // no editor could be started.
  virtual bool OpenTextFile(const std::string& path) = 0;
};

}  // namespace quorlen
