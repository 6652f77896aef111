#pragma once

#include <functional>
#include <string>

#include "core/controls.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"

namespace quorlen {

// The proxy box of the settings window: the notice that a changed proxy needs a restart,
// and the "Lookup" button that takes the proxy over from the desktop's settings.
class ProxySettings {
 public:
  // Takes over the change handler of the box and the click handler of the button.
  ProxySettings(Desktop& desktop, Dialogs& dialogs, TextBox& txtProxyName, Button& cmdGuessProxy2,
                Label& lblStatus, std::function<bool()> loading);

  void txtProxyName_Change();
  void cmdGuessProxy2_Click();

  static std::string NoProxyFoundText();
  static std::string RestartNoticeText();

 private:
  Desktop& desktop_;
  Dialogs& dialogs_;
  TextBox& txtProxyName_;
  Label& lblStatus_;
  std::function<bool()> loading_;
};

}  // namespace quorlen
