#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/controls.h"
#include "core/private_profile.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"

namespace quorlen {

// The list files the editor reads and writes; known once the program has loaded.
struct ExcludeFiles {
  const std::string& defaultList;     // quorlenhosts.ini, read only here
  const std::string& exclusionsList;  // quorlenhostsexc.ini, the allowed servers
  const std::string& userList;        // userhosts.ini, the user's own servers to block
};

// What the editor asks of the rest of the program.
struct ExcludeHooks {
  std::function<std::string()> lastBlockedServer;
  std::function<std::string()> getPickedRecord;
  std::function<void(const std::string&)> setPickedRecord;
  std::function<void()> reloadAllowed;            // the hosts builder reads the allowed list
  std::function<void(bool report)> rebuildHosts;  // and rebuilds the hosts file
  std::function<void()> openPopupTitlesEditor;    // empty while there is no such editor
};

// The ad-server list editor: the default list of known ad servers (read only), the servers
// the user allows, and the user's own servers to block. OK saves the two user lists and
// has the hosts file rebuilt; nothing is saved unless a list changed. The lists are read
// afresh each time the window opens.
class frmExclude {
 public:
  static constexpr const char* kTitle = "Block or Allow all content from ad server domains.";
  static constexpr const char* kExampleServer = "ads.example.com";
  static constexpr const char* kOtherExampleServer = "banners.example.net";

  frmExclude(ProfileStore& profiles, Dialogs& dialogs, EventLoop& loop, ExcludeFiles files,
             ExcludeHooks hooks);

  // Opens the window with freshly read lists, or brings it forward when it is open.
  void Show();
  void Form_Load();
  void Close();

  void cmdGo_Click();
  void cmdDo_Click();
  void cmdUndo_Click();
  void cmdDel_Click();
  void cmdAdd_Click();
  void cmdOK_Click();
  void cmdCancel_Click() { Close(); }
  void lblPopupTitles_Click();

  bool bChanged() const { return bChanged_; }
  bool bLoading() const { return bLoading_; }
  std::int16_t nFindPos() const { return nFindPos_; }
  const std::vector<std::string>& aServers() const { return aServers_; }

  Window window;
  Label lblAll, lblServer, fraAdd;  // "Blocked Ad Servers:", "Server:", the frame's caption
  ListBox lstAll, lstExclude, lstAdd;
  Label lblExclude, lblLast, lblAdd, lblPopupTitles;
  TextBox txtFind, txtServer;
  Button cmdGo, cmdDo, cmdUndo, cmdAdd, cmdDel, cmdOK, cmdCancel;

 private:
  // Reads a list file: the non-empty entries for the list box and every slot 0 to N.
  std::vector<std::string> ReadList(const std::string& path, std::vector<std::string>& slots,
                                    std::int16_t& count);
  void ShowAllowedCount(int count);
  void Info(const std::string& text, const std::string& title);

  ProfileStore& profiles_;
  Dialogs& dialogs_;
  EventLoop& loop_;
  ExcludeFiles files_;
  ExcludeHooks hooks_;
  std::vector<std::string> aServers_;
  std::vector<std::string> aAllowed_;
  bool bLoading_ = false;
  bool bChanged_ = false;
  std::int16_t nFindPos_ = 0;
};

}  // namespace quorlen
