#include "forms/frm_last_blocked.h"

#include "core/list_and_text_files.h"
#include "core/text.h"

namespace quorlen {

frmLastBlocked::frmLastBlocked(EventLoop& loop, std::string copyFile, Links links)
    : Timer1(loop, kRefreshMs), copyFile_(std::move(copyFile)), links_(std::move(links)) {
  window.SetCaption("Quorlen - Recent Ads Blocked");
  window.SetBounds({0, 0, 620, 400});
  cmdByAdServer.SetCaption("Blocked Hosts (Ad Servers)");
  cmdIEPopups.SetCaption("Internet Explorer Popups");
  cmdTitles.SetCaption("Window Titles");
  cmdCopy.SetCaption("Copy");
  cmdCancel.SetCaption("Close");
  Label1.SetCaption("Show the most recent blocked ads of one kind:");
  Label2.SetCaption(
      "Double click on an entry to allow that content from now on.  The list refreshes "
      "every 5 seconds.");
  lstBlockedToolTip = "Double click on an entry to allow it.  This list refreshes every 5 seconds.";
  cmdCopyToolTip = "Copy List Box data to NotePad";
  cmdByAdServer.onClick = [this] { cmdByAdServer_Click(); };
  cmdIEPopups.onClick = [this] { cmdIEPopups_Click(); };
  cmdTitles.onClick = [this] { cmdTitles_Click(); };
  cmdCopy.onClick = [this] { cmdCopy_Click(); };
  cmdCancel.onClick = [this] { Unload(); };
  lstBlocked.onDoubleClick = [this] { lstBlocked_DblClick(); };
  Timer1.onTick = [this] { Timer1_Timer(); };
}

void frmLastBlocked::Show() {
  window.Show([this] {
    Timer1.SetEnabled(true);
    cmdByAdServer_Click();
  });
}

void frmLastBlocked::Unload() {
  Timer1.SetEnabled(false);
  window.SetVisible(false);
}

void frmLastBlocked::Fill() {
  auto& list = nMode_ == 1   ? links_.ListAdServerBuffer
               : nMode_ == 2 ? links_.ListIEPopupBuffer
                             : links_.ListTitleBuffer;
  if (list) list(lstBlocked);
}

void frmLastBlocked::ShowMode(int mode) {
  nMode_ = mode;
  Fill();
  cmdByAdServer.SetDefault(mode == 1);
  cmdIEPopups.SetDefault(mode == 2);
  cmdTitles.SetDefault(mode == 3);
  if (lstBlocked.Count() == 0) {
    lstBlocked.AddItem(mode == 1 ? kNoAdServers : mode == 2 ? kNoPopups : kNoTitles);
  }
}

void frmLastBlocked::Timer1_Timer() {
  // No placeholder here: an empty buffer shows an empty list after the first refresh.
  if (nMode_ >= 1 && nMode_ <= 3) Fill();
}

void frmLastBlocked::lstBlocked_DblClick() {
  const std::string line = lstBlocked.Text();
  if (links_.setPickedRecord) links_.setPickedRecord(line);
  std::function<void()> editor;
  if (nMode_ == 1) {
    editor = links_.showAdServerEditor;
  } else if (nMode_ == 2) {
    // The page is the text between the line's first quote and the next; a line without
    // both quotes (the placeholder) gives none.
    std::string page;
    auto open = line.find('\'');
    auto close = open == std::string::npos ? open : line.find('\'', open + 1);
    if (close != std::string::npos) page = line.substr(open + 1, close - open - 1);
    if (links_.NoteBlockedPopupPage) links_.NoteBlockedPopupPage(page);
    editor = links_.showWhiteListEditor;
  } else {
    editor = links_.showPopupTitlesEditor;
  }
  if (editor) editor();
  Unload();
}

void frmLastBlocked::cmdCopy_Click() {
  std::string text;
  for (int i = 0; i < lstBlocked.Count(); ++i) {
    lstBlocked.SetListIndex(i);
    text += lstBlocked.Text() + std::string(kCrLf);
  }
  WriteTextFile(copyFile_, text);
  if (links_.openTextFile) links_.openTextFile(copyFile_);
}

}  // namespace quorlen
