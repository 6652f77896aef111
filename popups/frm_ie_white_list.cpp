#include "popups/frm_ie_white_list.h"

#include <utility>

#include "core/list_and_text_files.h"
#include "core/text.h"

namespace quorlen {

frmIEWhiteList::frmIEWhiteList(ProfileStore& profiles, Dialogs& dialogs, Links links)
    : profiles_(profiles), dialogs_(dialogs), links_(std::move(links)) {
  window.SetCaption("Popup Ad site White List (Effects Internet Explorer users ONLY)");
  window.SetBounds({0, 0, 600, 440});
  Frame1.SetCaption(
      "Allow any popup to open from the following \"white list\". Internet Explorer Browser "
      "Only.");
  lblURL.SetCaption("URL Sub String:");
  Label1.SetCaption(
      "Determine if you want to allow popups from an entire site, a set of pages on that "
      "site, or just one page on that site.");
  Label2.SetCaption("A whole site:  www.example.com allows every page of that site.");
  Label3.SetCaption("A set of pages:  www.example.com/games/ allows the pages under /games/ only.");
  Label4.SetCaption("One page:  www.example.com/games/chess.html allows that single page alone.");
  cmdAdd.SetCaption("Add to White List");
  cmdDel.SetCaption("Delete from White List");
  cmdOK.SetCaption("OK");
  cmdOK.SetDefault(true);
  cmdCancel.SetCaption("Cancel");

  txtTitle.onChange = [this] { cmdAdd.SetEnabled(true); };
  lstAdd.onClick = [this] { cmdDel.SetEnabled(true); };
  cmdAdd.onClick = [this] { cmdAdd_Click(); };
  cmdDel.onClick = [this] { cmdDel_Click(); };
  cmdOK.onClick = [this] { cmdOK_Click(); };
  cmdCancel.onClick = [this] { window.SetVisible(false); };
}

void frmIEWhiteList::Show() {
  // An open editor is only brought forward: its edits wait for OK. Every other opening
  // starts like a new window: empty box, list from the file.
  window.Show([this] {
    txtTitle.SetText("");
    lstAdd.Clear();
    changed_ = false;
    cmdDel.SetEnabled(false);
    cmdAdd.SetEnabled(false);
    LoadListFromIni(lstAdd, "DomainCount", "Domains", links_.whiteListFile(), profiles_, dialogs_);
    std::string page = links_.lastBlockedPopupPage();
    if (!page.empty()) txtTitle.SetText(page);
  });
}

void frmIEWhiteList::cmdAdd_Click() {
  std::string entry = LowerCase(txtTitle.Text());
  entry = ReplaceAll(entry, "http://", "");
  entry = ReplaceAll(entry, "https://", "");
  if (entry.size() < 5) {
    dialogs_.MsgBox("'" + entry + "' is too short.  Needs to be 5 characters or more.",
                    msgbox::kInformation, "Substring too short.");
    return;
  }
  std::int16_t found = 0;
  if (FindInList(entry, lstAdd, found)) {
    dialogs_.MsgBox(
        "'" + entry + "' is already in your list of 'White Listed Sites' " + "to Block'. ",
        msgbox::kInformation, "Duplicate Entry Found.");
    return;
  }
  lstAdd.AddItem(entry);
  lstAdd.SetListIndex(lstAdd.Count() - 1);
  changed_ = true;
}

void frmIEWhiteList::cmdDel_Click() {
  if (lstAdd.ListIndex() >= 0) lstAdd.RemoveItem(lstAdd.ListIndex());
  changed_ = true;
  cmdDel.SetEnabled(false);
}

void frmIEWhiteList::cmdOK_Click() {
  if (changed_) {
    SaveListToIni(lstAdd, "DomainCount", "Domains", links_.whiteListFile(), profiles_);
    if (links_.reloadWhiteList) links_.reloadWhiteList();
  }
  window.SetVisible(false);
}

}  // namespace quorlen
