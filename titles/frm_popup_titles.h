#pragma once

#include <functional>
#include <string>

#include "core/controls.h"
#include "core/private_profile.h"
#include "core/timer.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/window_system.h"

namespace quorlen {

// What the editor reads and asks of the main window.
struct PopupTitlesLinks {
  std::function<std::string()> sLastTitleFragment;
  std::function<std::string()> getPickedRecord;  // the record picked in the recent list
  std::function<void(const std::string&)> setPickedRecord;
  std::function<void()> LoadPopupTitles;
};

// The popup titles editor `frmPopupTitles`: the fragments the title watcher closes
// windows by, and the titles of the windows open now to pick one from. Opened after a
// close, it points at the fragment that caused it and blinks Delete, so allowing that
// window again takes one click.
class frmPopupTitles {
 public:
  static constexpr const char* kCaption = "Popup Window Blocking Using  Window Titles";

  frmPopupTitles(EventLoop& loop, Dialogs& dialogs, WindowSystem& windows, ProfileStore& profiles,
                 const std::string& userList, const std::string& defaultList,
                 PopupTitlesLinks links);

  // Loads the window unless it is already open, and brings it to the front.
  void Show();
  void Form_Load();
  // Closes the window; nothing is saved.
  void Unload();
  bool Loaded() const { return loaded_; }
  bool Changed() const { return changed_; }

  void cmdAdd_Click();
  void cmdDel_Click();
  void cmdOK_Click();
  void cmdRefresh_Click();
  void lblPopupTitles_Click();
  void Timer1_Timer();

  // The ad-server editor behind `lblPopupTitles`; without it the label only closes this
  // window.
  std::function<void()> openAdServerEditor;

  Window window;
  Label frm1, Label1, Label3, Label5, lblPopupTitles;
  ListBox lstAdd, lstCurrent;
  TextBox txtTitle;
  Button cmdAdd, cmdDel, cmdRefresh, cmdOK, cmdCancel;
  Timer Timer1;

 private:
  void ListOpenWindows();
  // Selects `fragment` in `lstAdd` and starts the blink; selects nothing when not listed.
  void PointAt(const std::string& fragment);

  Dialogs& dialogs_;
  WindowSystem& windows_;
  ProfileStore& profiles_;
  const std::string& userList_;
  const std::string& defaultList_;
  PopupTitlesLinks links_;
  bool loaded_ = false;
  bool loading_ = false;
  bool changed_ = false;
  int blinks_ = 0;
};

}  // namespace quorlen
