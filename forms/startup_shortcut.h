#pragma once

#include <string>

#include "core/controls.h"
#include "platform/dialogs.h"
#include "platform/shell.h"

namespace quorlen {

// The start-up shortcut that makes the program start with the desktop, and the
// "Start Quorlen when Windows Starts" box that adds or removes it. The shortcut itself
// is the record: nothing is saved in the settings.
class StartupShortcut {
 public:
  StartupShortcut(Shell& shell, Dialogs& dialogs, Label& lblStatus, CheckBox& chkStartup,
                  const bool& bLoading);

  static std::string GetServiceName() { return "Quorlen"; }
  // The shortcut's path for `name`; `folder` becomes the program folder as the shortcut
  // names it: the executable's path in lower case with "quorlen.exe" taken out.
  std::string getShortCutFileName(const std::string& name, std::string& folder);
  void AddOrRemoveGroupShortCut(bool add, bool showErrors);
  void chkStartup_Click();

  // Full path of the running executable.
  std::string programFile;

 private:
  Shell& shell_;
  Dialogs& dialogs_;
  Label& lblStatus_;
  CheckBox& chkStartup_;
  const bool& bLoading_;
};

}  // namespace quorlen
