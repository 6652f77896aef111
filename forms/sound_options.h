#pragma once

#include "core/controls.h"
#include "forms/program_state.h"
#include "platform/dialogs.h"
#include "platform/sound.h"

namespace quorlen {

// The controls of one sound option on the settings window's " Sounds" page.
struct SoundOptionControls {
  CheckBox& enable;
  TextBox& path;
  Button& browse;
  Button& test;
};

// The two sound options: whether a blocked banner ad and a blocked popup play a sound,
// and which file. Ticking enables the path box and its buttons; Browse picks a file with
// the file dialog; Test Sound plays the file named in the box. Nothing is saved here: the
// values reach the settings file with the next save.
class SoundOptions {
 public:
  SoundOptions(Sound& sound, Dialogs& dialogs, SoundOptionControls banner,
               SoundOptionControls popup, ProgramOptions& options, const bool& bLoading);

  void chkBannerSound_Click() { Enable(banner_, options_.bBannerSound); }
  void chkPopSound_Click() { Enable(popup_, options_.bPopSound); }
  void cmdBrowseAd_Click() { Browse(banner_, options_.sBannerSound); }
  void cmdBrowsePop_Click() { Browse(popup_, options_.sPopSound); }
  void cmdTestAd_Click() { sound_.PlayAsync(banner_.path.Text()); }
  void cmdTestPop_Click() { sound_.PlayAsync(popup_.path.Text()); }

 private:
  void Enable(SoundOptionControls& option, bool& member);
  void Browse(SoundOptionControls& option, std::string& member);
  void Changed(SoundOptionControls& option, std::string& member);

  Sound& sound_;
  Dialogs& dialogs_;
  SoundOptionControls banner_;
  SoundOptionControls popup_;
  ProgramOptions& options_;
  const bool& bLoading_;
};

}  // namespace quorlen
