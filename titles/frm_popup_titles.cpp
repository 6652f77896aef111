#include "titles/frm_popup_titles.h"

#include "core/list_and_text_files.h"
#include "titles/title_watcher.h"

namespace quorlen {

namespace {

constexpr size_t kClassNameChars = 63;  // a 64-character class-name buffer

// Windows that are not popups a user would pick: this program's own, the desktop's
// task bar and its background.
bool SkippedWindow(const std::string& name) {
  return name.find("Quorlen") != std::string::npos ||
         name.find(frmPopupTitles::kCaption) != std::string::npos ||
         name.find("Shell_TrayWnd") != std::string::npos || name == "Program Manager" ||
         name == "HOM Hit Class" || name == "Static";
}

}  // namespace

frmPopupTitles::frmPopupTitles(EventLoop& loop, Dialogs& dialogs, WindowSystem& windows,
                               ProfileStore& profiles, const std::string& userList,
                               const std::string& defaultList, PopupTitlesLinks links)
    : Timer1(loop, 1000),
      dialogs_(dialogs),
      windows_(windows),
      profiles_(profiles),
      userList_(userList),
      defaultList_(defaultList),
      links_(std::move(links)) {
  window.SetCaption(kCaption);
  window.SetBounds({0, 0, 560, 500});
  frm1.SetCaption("Add Popup Window Titles you want Quorlen to Close:");
  Label1.SetCaption(
      "Find and double-click on the Popup Window you want closed by Quorlen from the list of "
      "active Windows below.  This feature does not work with the Opera Browser:");
  Label3.SetCaption("Title:");
  Label5.SetCaption(
      "Edit (if desired) and click the \"Add to List\" button.  Any Windows that open THAT "
      "CONTAIN this text will be closed by Quorlen.");
  lblPopupTitles.SetCaption(
      "Click Here to Block or Allow Ads based on domain name not window Title");
  cmdAdd.SetCaption("Add to List");
  cmdDel.SetCaption("Delete from List");
  cmdRefresh.SetCaption("Refresh Current Window List");
  cmdOK.SetCaption("OK");
  cmdCancel.SetCaption("Cancel");

  cmdAdd.onClick = [this] { cmdAdd_Click(); };
  cmdDel.onClick = [this] { cmdDel_Click(); };
  cmdOK.onClick = [this] { cmdOK_Click(); };
  cmdCancel.onClick = [this] { Unload(); };
  cmdRefresh.onClick = [this] { cmdRefresh_Click(); };
  lblPopupTitles.onClick = [this] { lblPopupTitles_Click(); };
  // Delete stays off while nothing is selected, so it never looks alive and does nothing.
  lstAdd.onClick = [this] { cmdDel.SetEnabled(lstAdd.ListIndex() >= 0); };
  lstCurrent.onClick = [this] {
    if (lstCurrent.ListIndex() >= 0) txtTitle.SetText(lstCurrent.Text());
  };
  txtTitle.onChange = [this] {
    if (!loading_) cmdAdd.SetEnabled(true);
  };
  Timer1.onTick = [this] { Timer1_Timer(); };
}

void frmPopupTitles::Show() {
  window.Show([this] {
    if (!loaded_) Form_Load();
  });
}

void frmPopupTitles::Form_Load() {
  loaded_ = true;
  loading_ = true;
  changed_ = false;
  blinks_ = 0;
  Timer1.SetEnabled(false);
  cmdDel.SetEnabled(false);
  cmdAdd.SetEnabled(false);
  txtTitle.SetText("");
  // Where no window can be seen the list stays empty, and nothing is promised.
  if (!windows_.SeesWindows()) Label5.SetCaption(TitleWatcher::kWindowsNotSeenLabel);
  ListOpenWindows();
  lstAdd.Clear();
  LoadListFromIni(lstAdd, "DomainCount", "Domains",
                  FileExists(userList_) ? userList_ : defaultList_, profiles_, dialogs_);
  PointAt(links_.sLastTitleFragment());

  // A record of a closed window, picked in the recently blocked window.
  std::string record = links_.getPickedRecord();
  const std::string marker = "found '";
  if (auto at = record.find(marker); at != std::string::npos) {
    auto from = at + marker.size();
    auto end = record.find('\'', from);
    PointAt(record.substr(from, end == std::string::npos ? std::string::npos : end - from));
    links_.setPickedRecord("");
  }
  loading_ = false;
}

void frmPopupTitles::PointAt(const std::string& fragment) {
  std::int16_t index = -1;
  if (FindInList(fragment, lstAdd, index)) {
    lstAdd.SetListIndex(index);
    Timer1.SetEnabled(true);
  } else {
    lstAdd.SetListIndex(-1);
  }
}

void frmPopupTitles::ListOpenWindows() {
  lstCurrent.Clear();
  for (WindowId id : windows_.TopLevelWindows()) {
    if (!windows_.IsVisible(id)) continue;
    std::string name = windows_.WindowTitle(id);
    if (auto zero = name.find('\0'); zero != std::string::npos) name.resize(zero);
    if (name.empty()) {
      name = windows_.AppId(id);
      if (name.size() > kClassNameChars) name.resize(kClassNameChars);
    }
    if (!SkippedWindow(name)) lstCurrent.AddItem(std::move(name));
  }
}

void frmPopupTitles::cmdRefresh_Click() { ListOpenWindows(); }

void frmPopupTitles::cmdAdd_Click() {
  const std::string text = txtTitle.Text();
  if (text.size() < 5) {
    dialogs_.MsgBox("'" + text + "' is too short.  Needs to be 5 characters or more.",
                    msgbox::kInformation, "Substring too short.");
    return;
  }
  std::int16_t index = -1;
  if (FindInList(text, lstAdd, index)) {
    lstAdd.SetListIndex(index);
    dialogs_.MsgBox(
        "'" + text + "' is already in your list of 'Additional Popup Windows " + "to Block'. ",
        msgbox::kInformation, "Duplicate Entry Found.");
    return;
  }
  changed_ = true;
  lstAdd.AddItem(text);
  lstAdd.SetListIndex(lstAdd.Count() - 1);
}

void frmPopupTitles::cmdDel_Click() {
  if (lstAdd.ListIndex() < 0) return;
  lstAdd.RemoveItem(lstAdd.ListIndex());
  changed_ = true;
  cmdDel.SetEnabled(false);
}

void frmPopupTitles::Timer1_Timer() {
  cmdDel.SetEnabled(blinks_ % 2 == 1);
  if (++blinks_ >= 10) Timer1.SetEnabled(false);
}

void frmPopupTitles::cmdOK_Click() {
  if (changed_) {
    SaveListToIni(lstAdd, "DomainCount", "Domains", userList_, profiles_);
    links_.LoadPopupTitles();
  }
  Unload();
}

void frmPopupTitles::lblPopupTitles_Click() {
  Unload();
  if (openAdServerEditor) openAdServerEditor();
}

void frmPopupTitles::Unload() {
  Timer1.SetEnabled(false);
  loaded_ = false;
  window.SetVisible(false);
}

}  // namespace quorlen
