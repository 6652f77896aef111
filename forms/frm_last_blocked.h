#pragma once

#include <functional>
#include <string>

#include "core/controls.h"
#include "core/timer.h"
#include "platform/event_loop.h"

namespace quorlen {

// The recently blocked window: the newest blocked items of one kind at a time (ad
// servers, browser popups, window titles), refreshed every 5 seconds. A double-click
// hands the line to the editor where that kind of item can be allowed; "Copy" puts the
// list into a text file opened in the desktop's text editor.
class frmLastBlocked {
 public:
  static constexpr int kRefreshMs = 5000;
  static constexpr const char* kNoAdServers =
      "No Ads Blocked by Host (ad server) yet during this Quorlen session.";
  static constexpr const char* kNoPopups =
      "No Ads Blocked by Unsolicited Internet Explorer Popups.";
  static constexpr const char* kNoTitles =
      "No Ads Blocked by Window Title yet during this Quorlen session.";

  // What the window reaches of the rest of the program.
  struct Links {
    // Fill a list box with one buffer's records, newest first.
    std::function<void(ListBox&)> ListAdServerBuffer, ListIEPopupBuffer, ListTitleBuffer;
    std::function<void(const std::string&)> setPickedRecord;
    // Remembers a popup's page as the last blocked one and records it once more.
    std::function<void(const std::string&)> NoteBlockedPopupPage;
    std::function<void()> showAdServerEditor, showWhiteListEditor, showPopupTitlesEditor;
    // Shows a text file to the user, or says why it cannot.
    std::function<void(const std::string&)> openTextFile;
  };

  // `copyFile` is the file "Copy" writes.
  frmLastBlocked(EventLoop& loop, std::string copyFile, Links links);

  // Opens the window in its ad-server mode, or brings it forward when it is open.
  void Show();
  void Unload();

  void cmdByAdServer_Click() { ShowMode(1); }
  void cmdIEPopups_Click() { ShowMode(2); }
  void cmdTitles_Click() { ShowMode(3); }
  void lstBlocked_DblClick();
  void cmdCopy_Click();
  void Timer1_Timer();

  // 1 ad servers, 2 browser popups, 3 window titles; 0 before the first mode button ran.
  int nMode() const { return nMode_; }
  const std::string& CopyFile() const { return copyFile_; }

  Window window;
  ListBox lstBlocked;
  Button cmdByAdServer, cmdIEPopups, cmdTitles, cmdCopy, cmdCancel;
  Label Label1, Label2;
  std::string lstBlockedToolTip, cmdCopyToolTip;
  Timer Timer1;

 private:
  void ShowMode(int mode);
  void Fill();

  std::string copyFile_;
  Links links_;
  int nMode_ = 0;
};

}  // namespace quorlen
