#include "forms/startup_shortcut.h"

#include "core/text.h"

namespace quorlen {

StartupShortcut::StartupShortcut(Shell& shell, Dialogs& dialogs, Label& lblStatus,
                                 CheckBox& chkStartup, const bool& bLoading,
                                 UninstallLinks uninstall)
    : shell_(shell),
      dialogs_(dialogs),
      lblStatus_(lblStatus),
      chkStartup_(chkStartup),
      bLoading_(bLoading),
      uninstall_(std::move(uninstall)) {}

std::string StartupShortcut::getShortCutFileName(const std::string& name, std::string& folder) {
  // Windows paths ignore letter case, so the shortcut named the folder in lower case;
  // Linux paths keep theirs, or the entry would name a program that is not there.
  folder = programFile.substr(0, programFile.find_last_of('/') + 1);
  return shell_.StartupFolder() + "/" + name + ".desktop";
}

void StartupShortcut::AddOrRemoveGroupShortCut(bool add, bool showErrors) {
  std::string folder;
  std::string path = getShortCutFileName(GetServiceName(), folder);
  if (add) {
    shell_.SaveShortcut({path, folder + "quorlen", folder, 4, folder + "ql.ico"});
    return;
  }
  std::string error;
  if (shell_.DeleteFile(path, error) || !showErrors) return;
  const std::string crlf(kCrLf);
  dialogs_.MsgBox(
      "There was trouble removing the shortcut.   This might happen if you have "
      "manually renamed the shortcut some time in the past.   Otherwise, some "
      "unknown error occurred. File= " +
          path + " Desc = " + error + crlf + crlf +
          "You can manually remove any shortcuts you do not want: " + crlf + crlf +
          "1) Right Click on the Windows Start button. " + crlf +
          "2) Click the 'Open' menu choice. " + crlf + "3) Double Click on the 'Programs' icon. " +
          crlf + "4) Find the group named 'StartUp' and Double Click on that." + crlf + crlf +
          "From there, you should be able to select and delete any shortcut you do not want.",
      msgbox::kOkOnly, "Quorlen");
}

void StartupShortcut::chkStartup_Click() {
  // The shortcut follows the box even while the window loads.
  AddOrRemoveGroupShortCut(chkStartup_.Ticked(), true);
  lblStatus_.SetCaption("");
  if (bLoading_) return;
  const std::string twoLines = std::string(kCrLf) + std::string(kCrLf);
  if (chkStartup_.Ticked()) {
    lblStatus_.SetCaption(
        "Quorlen was just added to the startup group.  Quorlen will now start each time "
        "windows starts. " +
        twoLines +
        "UnCheck this option to remove Quorlen from the startup group (will not start when "
        "windows restarts).");
  } else {
    lblStatus_.SetCaption(
        "Removing Quorlen from the startup group. Quorlen will no longer start when windows "
        "restarts." +
        twoLines +
        "Check this option to Add Quorlen to the startup group (to run Quorlen when windows "
        "starts).");
  }
}

std::string StartupShortcut::RemovalInstructions() const {
  const std::string twoLines = std::string(kCrLf) + std::string(kCrLf);
  // An installed program lives in the system's folders; a copy of its own is one folder.
  if (programFile.rfind("/usr/", 0) == 0) {
    return "To remove Quorlen from this Linux system, run:" + twoLines + "sudo apt remove quorlen";
  }
  std::string folder = programFile.substr(0, programFile.find_last_of('/') + 1);
  return "To remove Quorlen from this Linux system, delete its folder:" + twoLines + "rm -r '" +
         folder + "'";
}

void StartupShortcut::mnuUninstallFeedback_Click() {
  if (uninstall_.showFeedback) uninstall_.showFeedback();
}

void StartupShortcut::mnuUninstallUninstall_Click() {
  const std::string crlf(kCrLf);
  int answer = dialogs_.MsgBox(
      "To Un-Install Quorlen: " + crlf +
          "--1) Click YES to the question below so Quorlen can save some settings "
          "for the uninstall process." +
          crlf + "--2) Use Control Panel - Add/Remove programs to un-install Quorlen completely." +
          crlf + crlf + "Do you want to start the un-install process now?",
      msgbox::kYesNo, GetServiceName());
  if (answer != msgbox::kAnswerYes) return;
  uninstall_.chkAdServers.SetTicked(false);
  chkStartup_.SetTicked(false);
  dialogs_.MsgBox(RemovalInstructions(), msgbox::kInformation, GetServiceName());
  dialogs_.MsgBox(
      "Now go to your control panel - add/remove programs to run the "
      "Quorlen uninstall." +
          crlf + crlf + "Quorlen will now close.",
      msgbox::kOkOnly, GetServiceName());
  if (uninstall_.exitProgram) uninstall_.exitProgram();
}

}  // namespace quorlen
