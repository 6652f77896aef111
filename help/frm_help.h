#pragma once

#include <functional>
#include <string>

#include "core/controls.h"
#include "help/web_page_opener.h"

namespace quorlen {

// The help launcher: opened on the page to open, it starts the browser on that address
// and closes itself at once. It stays in sight only while a box says the browser could
// not be found or started; then "Go To URL" opens the vendor's home page and "Done"
// closes it.
class frmHelp {
 public:
  struct Links {
    std::function<std::string()> GetHelpURL;
    std::function<void(const std::string&)> SetHelpURL;
  };

  frmHelp(WebPageOpener& opener, Links links, std::string vendorUrl);

  // The window's load: opens the page to open in the browser, then unloads.
  void Show();
  void cmdHome_Click();
  void cmdOK_Click();
  void Unload() { window.SetVisible(false); }

  Window window;
  TextBox txtURL;
  Button cmdHome, cmdOK;
  Label Label2, lblCommand;

 private:
  // The window's open-in-browser routine: the address also goes into the address box.
  void OpenPage(const std::string& address);

  WebPageOpener& opener_;
  Links links_;
  std::string vendorUrl_;
};

}  // namespace quorlen
