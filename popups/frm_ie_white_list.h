#pragma once

#include <functional>
#include <string>

#include "core/controls.h"
#include "core/private_profile.h"
#include "platform/dialogs.h"

namespace quorlen {

// The editor of the popup white list: the user adds pieces of site addresses whose
// pages may open windows, or deletes them so their popups are blocked again. Changes
// reach the file and the blocker only with OK.
class frmIEWhiteList {
 public:
  static constexpr const char* kToolTipOK =
      "This saves any changes you have made to the lists.  Click the Cancel button to undo "
      "any changes you've made.";
  static constexpr const char* kToolTipCancel = "Close this dialog and do not save changes.";
  static constexpr const char* kToolTipDel =
      "Click here to remove any selected items (so popups will be blocked again).";
  static constexpr const char* kToolTipAdd =
      "Click to allow popups on the specified URL or site URL substring.";
  static constexpr const char* kToolTipTitle =
      "The full or partial URL.  A URL is the web site address.  You do not need to type "
      "the http:// or https:// in front of it.";
  static constexpr const char* kToolTipURLLabel =
      "A full or partial (substring) site address (URL) that you want to allow popups.";

  struct Links {
    std::function<std::string()> whiteListFile;
    std::function<std::string()> lastBlockedPopupPage;
    std::function<void()> reloadWhiteList;  // LoadIEWhiteList after a saving OK
  };

  frmIEWhiteList(ProfileStore& profiles, Dialogs& dialogs, Links links);

  // Opens the editor with the list as the file holds it now; an editor already open is
  // brought forward as it is.
  void Show();
  bool Changed() const { return changed_; }

  Window window;
  Label Frame1, lblURL, Label1, Label2, Label3, Label4;
  TextBox txtTitle;
  ListBox lstAdd;
  Button cmdAdd, cmdDel, cmdOK, cmdCancel;

 private:
  void cmdAdd_Click();
  void cmdDel_Click();
  void cmdOK_Click();

  ProfileStore& profiles_;
  Dialogs& dialogs_;
  Links links_;
  bool changed_ = false;
};

}  // namespace quorlen
