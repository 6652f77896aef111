#include "hosts/frm_exclude.h"

#include "core/list_and_text_files.h"
#include "core/text.h"

namespace quorlen {

namespace {

const std::string kLine(kCrLf);
const std::string kTwoLines = kLine + kLine;
constexpr const char* kProgram = "Quorlen";
constexpr size_t kValueBuffer = 250;
const std::string kQuote = "\"";

std::string DoNotUseHttp() {
  return "Do not use a leading " + kQuote + "http://" + kQuote + ".  Just specify a domain " +
         "like " + kQuote + frmExclude::kExampleServer + kQuote;
}

std::string TwoExamples() {
  return kQuote + frmExclude::kExampleServer + kQuote + " or " + kQuote +
         frmExclude::kOtherExampleServer + kQuote;
}

bool IsAddressLike(const std::string& text) {
  for (char c : text) {
    if (!(c == '.' || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

}  // namespace

frmExclude::frmExclude(ProfileStore& profiles, Dialogs& dialogs, EventLoop& loop,
                       ExcludeFiles files, ExcludeHooks hooks)
    : profiles_(profiles), dialogs_(dialogs), loop_(loop), files_(files), hooks_(std::move(hooks)) {
  window.SetCaption(kTitle);
  window.SetBounds({0, 0, 700, 540});
  lblAll.SetCaption("Blocked Ad Servers:");
  lblServer.SetCaption("Server:");
  fraAdd.SetCaption("Add Additional Ad Servers to Block:");
  lblPopupTitles.SetCaption(
      "Click Here to have Quorlen close Any window based on its Window Title");
  // A link to an editor that is not there would look alive and do nothing.
  lblPopupTitles.SetVisible(static_cast<bool>(hooks_.openPopupTitlesEditor));
  cmdGo.SetCaption("Find");
  cmdDo.SetCaption("=>");
  cmdUndo.SetCaption("<=");
  cmdAdd.SetCaption("Add to List");
  cmdDel.SetCaption("Delete from List");
  cmdOK.SetCaption("OK");
  cmdCancel.SetCaption("Cancel");

  cmdGo.onClick = [this] { cmdGo_Click(); };
  cmdDo.onClick = [this] { cmdDo_Click(); };
  cmdUndo.onClick = [this] { cmdUndo_Click(); };
  cmdDel.onClick = [this] { cmdDel_Click(); };
  cmdAdd.onClick = [this] { cmdAdd_Click(); };
  cmdOK.onClick = [this] { cmdOK_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
  lblPopupTitles.onClick = [this] { lblPopupTitles_Click(); };
  lstAll.onClick = [this] { cmdDo.SetEnabled(true); };
  lstExclude.onClick = [this] { cmdUndo.SetEnabled(true); };
  lstAdd.onClick = [this] {
    if (!bLoading_) cmdDel.SetEnabled(true);
  };
  // Enabled at the sixth character and not taken back when the text gets shorter.
  txtServer.onChange = [this] {
    if (!bLoading_ && txtServer.Text().size() >= 6) cmdAdd.SetEnabled(true);
  };
  txtFind.onChange = [this] { nFindPos_ = 0; };
}

void frmExclude::Show() {
  window.Show([this] { Form_Load(); });
}

void frmExclude::Close() {
  window.SetVisible(false);
  // The next opening reads everything afresh; the big lists need not stay in memory.
  for (ListBox* list : {&lstAll, &lstExclude, &lstAdd}) list->Clear();
  aServers_.clear();
  aAllowed_.clear();
}

std::vector<std::string> frmExclude::ReadList(const std::string& path,
                                              std::vector<std::string>& slots,
                                              std::int16_t& count) {
  ProfileStore::Snapshot file = profiles_.Open(path);
  count = ToInt16(file->GetString("DomainCount", "N", "", kValueBuffer)).value_or(0);
  if (count < 0) count = 0;
  slots.assign(static_cast<size_t>(count) + 1, std::string());
  std::vector<std::string> items;
  items.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::string entry = Trim(file->GetString("Domains", "D" + std::to_string(i), "", kValueBuffer));
    if (entry.empty()) continue;
    slots[static_cast<size_t>(i)] = entry;
    items.push_back(std::move(entry));
  }
  return items;
}

void frmExclude::ShowAllowedCount(int count) {
  lblExclude.SetCaption(std::to_string(count) + " Allowed (unblocked) Ad Servers");
}

void frmExclude::Info(const std::string& text, const std::string& title) {
  dialogs_.MsgBox(text, msgbox::kInformation, title);
}

void frmExclude::Form_Load() {
  bLoading_ = true;
  nFindPos_ = 0;
  cmdDo.SetEnabled(false);
  cmdUndo.SetEnabled(false);
  cmdGo.SetCaption("Find");
  lblLast.SetCaption("");
  txtFind.SetText("");
  nFindPos_ = 0;
  txtServer.SetText("");
  for (ListBox* list : {&lstAll, &lstExclude, &lstAdd}) list->Clear();

  dialogs_.SetWaitCursor(true);
  std::int16_t count = 0;
  for (std::string& item : ReadList(files_.defaultList, aServers_, count))
    lstAll.AddItem(std::move(item));
  dialogs_.SetWaitCursor(false);

  for (std::string& item : ReadList(files_.exclusionsList, aAllowed_, count)) {
    lstExclude.AddItem(std::move(item));
  }
  // The count as the file says, empty entries included.
  ShowAllowedCount(count);
  bChanged_ = false;

  lblAdd.SetCaption(
      std::string("Advanced Feature:  If you know a domain is serving just ads or content "
                  "you want to block (i.e. '") +
      kExampleServer + "') you may type it here and click the 'Add To List' button." + kTwoLines +
      "WARNING:  All content from that server/domain will be blocked.  There is no way to "
      "specify something like '" +
      kExampleServer +
      "/banners/*'.  Quorlen is much faster this way at the expense of less "
      "flexibility.Only domain names are allowed here (e.g. '" +
      kOtherExampleServer + "').");

  loop_.DoEvents();
  LoadListFromIni(lstAdd, "DomainCount", "Domains", files_.userList, profiles_, dialogs_);
  cmdDel.SetEnabled(false);
  cmdAdd.SetEnabled(false);
  bLoading_ = false;

  // Pre-selection: the record picked in the recently-blocked window, else the server
  // that was blocked last.
  const std::string picked = hooks_.getPickedRecord ? hooks_.getPickedRecord() : std::string();
  const size_t open = picked.find(" '");
  const std::string tail = "' To allow all content from ";
  if (open == std::string::npos) {
    const std::string last = hooks_.lastBlockedServer ? hooks_.lastBlockedServer() : std::string();
    if (last.empty()) return;
    lblLast.SetCaption("The last Ad blocked was from the server '" + last + tail + last +
                       " from now on, click the '=>' button.");
    txtFind.SetText(last);
    cmdGo_Click();
    return;
  }
  const size_t start = open + 2;
  const size_t close = picked.find('\'', start);
  const std::string server =
      picked.substr(start, close == std::string::npos ? std::string::npos : close - start);
  lblLast.SetCaption("The Ad Server you click on was '" + server + tail + server +
                     " from now on, click the '=>' button.");
  txtFind.SetText(server);
  cmdGo_Click();
  if (hooks_.setPickedRecord) hooks_.setPickedRecord("");
}

void frmExclude::cmdGo_Click() {
  if (bLoading_) return;
  const std::string& text = txtFind.Text();
  if (text.empty()) {
    dialogs_.MsgBox(
        std::string("You need to first type something in the 'Find' box i.e. ") + kExampleServer,
        msgbox::kOkOnly, kProgram);
    return;
  }
  // aServers and lstAll share their indexes while the default list has no empty entry.
  const int end = std::min<int>(lstAll.Count(), static_cast<int>(aServers_.size()));
  for (int i = nFindPos_; i < end; ++i) {
    if (aServers_[static_cast<size_t>(i)].find(text) != std::string::npos) {
      lstAll.SetListIndex(i);
      nFindPos_ = static_cast<std::int16_t>(i + 1);
      cmdGo.SetCaption("Find Next");
      return;
    }
  }
  const std::string last = hooks_.lastBlockedServer ? hooks_.lastBlockedServer() : std::string();
  if (!last.empty() && text == last) {
    lblLast.SetCaption("The last Ad blocked was from the server '" + last +
                       "' To allow all content from " + last +
                       " select it from your personal blocked server list and click the "
                       "'Delete from List' button.");
  } else {
    dialogs_.MsgBox("Sorry, didn't find " + text + " in the list.  Please try again.",
                    msgbox::kOkOnly, kProgram);
  }
  // The next search starts from the top again.
  nFindPos_ = 0;
  cmdGo.SetCaption("Find");
}

void frmExclude::cmdDo_Click() {
  const std::string server = lstAll.Text();
  if (server.empty()) return;
  std::int16_t index = -1;
  if (FindInList(server, lstExclude, index)) {
    Info("'" + server + "' is already in the 'Allow Sites List'", "Duplicate Server Entry");
    return;
  }
  // The count stays as loaded: only "<=" and a new load count the list again.
  lstExclude.AddItem(server);
  bChanged_ = true;
}

void frmExclude::cmdUndo_Click() {
  if (lstExclude.ListIndex() < 0) return;
  lstExclude.RemoveItem(lstExclude.ListIndex());
  ShowAllowedCount(lstExclude.Count());
  bChanged_ = true;
}

void frmExclude::cmdDel_Click() {
  const int index = lstAdd.ListIndex();
  if (index < 0) return;
  lstExclude.AddItem(lstAdd.Text());
  lstAdd.RemoveItem(index);
  bChanged_ = true;
  cmdDel.SetEnabled(false);
}

void frmExclude::cmdAdd_Click() {
  const std::string text = txtServer.Text();
  if (text.find("http://") != std::string::npos) {
    Info(DoNotUseHttp(), "Don't use leading http://");
    return;
  }
  if (text.find('/') != std::string::npos) {
    Info(
        "We're sorry, only domain names are allowed. No compound names are accepted because "
        "Quorlen needs to remain fast and allowing this functionality would slow it down too "
        "much.  " +
            kTwoLines + "Only simple domains like " + TwoExamples() + " are allowed.  " +
            kTwoLines + DoNotUseHttp(),
        "Compound URLs not supported at this time.");
    return;
  }
  if (IsAddressLike(text)) {
    Info("We're sorry, only domain names are allowed. No IP addresses are accepted. " + kTwoLines +
             "Only domains names (not IPs) like " + TwoExamples() + " are allowed.  ",
         "There was an error in your input");
    return;
  }
  std::int16_t index = -1;
  if (FindInList(text, lstExclude, index)) {
    int answer =
        dialogs_.MsgBox("'" + text + "' is already in the 'Allowed Sites' list. " + kTwoLines +
                            "Are you sure you want to block all content  from '" + text + "'?",
                        msgbox::kYesNo, "Are you Sure?");
    if (answer != msgbox::kAnswerYes) return;
    lstExclude.RemoveItem(index);
  } else {
    lstExclude.SetListIndex(-1);
  }

  dialogs_.SetWaitCursor(true);
  const std::string wanted = LowerCase(Trim(text));
  for (size_t i = 0; i < aServers_.size(); ++i) {
    if (LowerCase(Trim(aServers_[i])) != wanted) continue;
    lstAll.SetListIndex(static_cast<int>(i));
    dialogs_.SetWaitCursor(false);
    Info("The domain '" + text + "' is in the default list of servers Quorlen Blocks. " +
             kTwoLines +
             "Make sure you reboot your computer after you make any changes to these server "
             "blocking / allowing lists.  " +
             kTwoLines + "This is the only way to be sure the changes will take effect.",
         "Duplicate Ad Server Entry Found.");
    return;
  }
  dialogs_.SetWaitCursor(false);
  if (FindInList(text, lstAdd, index)) {
    Info("'" + text + "' is already in your list of 'Additional Ad Server to Block'. ",
         "Duplicate Entry Found.");
    return;
  }
  bChanged_ = true;
  lstAdd.AddItem(text);
  lstAdd.SetListIndex(lstAdd.Count() - 1);
}

void frmExclude::cmdOK_Click() {
  if (bChanged_) {
    lblLast.SetCaption("*** Please Wait.  Saving changes may take several seconds ***");
    // Enough for the window to show the notice before the work starts.
    for (int i = 0; i < 100; ++i) loop_.DoEvents();
    SaveListToIni(lstAdd, "DomainCount", "Domains", files_.userList, profiles_);
    SaveListToIni(lstExclude, "DomainCount", "Domains", files_.exclusionsList, profiles_);
    dialogs_.SetWaitCursor(true);
    if (hooks_.reloadAllowed) hooks_.reloadAllowed();
    if (hooks_.rebuildHosts) hooks_.rebuildHosts(true);
    dialogs_.SetWaitCursor(false);
    dialogs_.MsgBox(
        "If the changes you've made don't seem to work right away, try closing all "
        "of your browser windows first. " +
            kTwoLines + "If that doesn't work, restarting your computer should take care of it.",
        msgbox::kOkOnly, kProgram);
  }
  Close();
}

void frmExclude::lblPopupTitles_Click() {
  Close();
  if (hooks_.openPopupTitlesEditor) hooks_.openPopupTitlesEditor();
}

}  // namespace quorlen
