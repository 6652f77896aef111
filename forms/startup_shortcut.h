#pragma once

#include <functional>
#include <string>

#include "core/controls.h"
#include "platform/dialogs.h"
#include "platform/shell.h"

namespace quorlen {

// What the uninstall steps reach beyond the shortcut.
struct UninstallLinks {
  CheckBox& chkAdServers;              // clearing it takes the servers out of the hosts file
  std::function<void()> showFeedback;  // the feedback window, about this program
  std::function<void()> exitProgram;   // File > Exit
};

// The start-up shortcut that makes the program start with the desktop, the
// "Start Quorlen when Windows Starts" box that adds or removes it, and the uninstall
// steps that leave a clean system behind. The shortcut itself is the record: nothing is
// saved in the settings.
class StartupShortcut {
 public:
  StartupShortcut(Shell& shell, Dialogs& dialogs, Label& lblStatus, CheckBox& chkStartup,
                  const bool& bLoading, UninstallLinks uninstall);

  static std::string GetServiceName() { return "Quorlen"; }
  // The shortcut's path for `name`; `folder` becomes the program folder as the shortcut
  // names it: the executable's folder, ending in "/".
  std::string getShortCutFileName(const std::string& name, std::string& folder);
  void AddOrRemoveGroupShortCut(bool add, bool showErrors);
  void chkStartup_Click();
  // "Please Tell us why first.  Thank you...": the feedback window.
  void mnuUninstallFeedback_Click();
  // "Uninstall Instructions...": asks, then switches blocking and the shortcut off, says
  // how to remove the program and ends it.
  void mnuUninstallUninstall_Click();
  // What to run to remove the program from this system: the package when it is
  // installed, else its own folder.
  std::string RemovalInstructions() const;

  // Full path of the running executable.
  std::string programFile;

 private:
  Shell& shell_;
  Dialogs& dialogs_;
  Label& lblStatus_;
  CheckBox& chkStartup_;
  const bool& bLoading_;
  UninstallLinks uninstall_;
};

}  // namespace quorlen
