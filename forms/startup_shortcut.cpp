#include "forms/startup_shortcut.h"

#include "core/text.h"

namespace quorlen {

StartupShortcut::StartupShortcut(Shell& shell, Dialogs& dialogs, Label& lblStatus,
                                 CheckBox& chkStartup, const bool& bLoading)
    : shell_(shell),
      dialogs_(dialogs),
      lblStatus_(lblStatus),
      chkStartup_(chkStartup),
      bLoading_(bLoading) {}

std::string StartupShortcut::getShortCutFileName(const std::string& name, std::string& folder) {
  folder = ReplaceAll(LowerCase(programFile), "quorlen.exe", "");
  // The Linux executable carries no ".exe"; its folder is what the shortcut starts in.
  if (folder == LowerCase(programFile)) {
    auto slash = folder.find_last_of('/');
    if (slash != std::string::npos) folder.resize(slash + 1);
  }
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
          "2) Click the 'Open' menu choice. " + crlf +
          "3) Double Click on the 'Programs' icon. " + crlf +
          "4) Find the group named 'StartUp' and Double Click on that." + crlf + crlf +
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

}  // namespace quorlen
