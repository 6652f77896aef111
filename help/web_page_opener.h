#pragma once

#include <string>

#include "core/controls.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"

namespace quorlen {

// Opens a web address in the user's browser, as the help and feedback windows do: a
// placeholder page is written to the temporary folder so there is a file of the web-page
// type to ask the desktop about, the program that opens it is started with the address,
// and the page is deleted again. A missing browser and a browser that does not start are
// told in their boxes.
class WebPageOpener {
 public:
  static constexpr const char* kPageFileName = "temphtm.HTM";

  WebPageOpener(Desktop& desktop, Dialogs& dialogs, std::string tempFolder);

  // Opens `address`; `lblCommand`, when given, shows the browser found. False when
  // nothing was opened.
  bool Open(const std::string& address, Label* lblCommand = nullptr);

  std::string PageFile() const { return tempFolder_ + "/" + kPageFileName; }

 private:
  Desktop& desktop_;
  Dialogs& dialogs_;
  std::string tempFolder_;
};

}  // namespace quorlen
