#include "forms/sound_options.h"

namespace quorlen {

SoundOptions::SoundOptions(Sound& sound, Dialogs& dialogs, SoundOptionControls banner,
                           SoundOptionControls popup, ProgramOptions& options, const bool& bLoading)
    : sound_(sound),
      dialogs_(dialogs),
      banner_(banner),
      popup_(popup),
      options_(options),
      bLoading_(bLoading) {
  banner_.enable.onClick = [this] { chkBannerSound_Click(); };
  popup_.enable.onClick = [this] { chkPopSound_Click(); };
  banner_.path.onChange = [this] { Changed(banner_, options_.sBannerSound); };
  popup_.path.onChange = [this] { Changed(popup_, options_.sPopSound); };
  banner_.browse.onClick = [this] { cmdBrowseAd_Click(); };
  popup_.browse.onClick = [this] { cmdBrowsePop_Click(); };
  // Testing a sound is allowed even while the window loads.
  banner_.test.onClick = [this] { cmdTestAd_Click(); };
  popup_.test.onClick = [this] { cmdTestPop_Click(); };
}

void SoundOptions::Enable(SoundOptionControls& option, bool& member) {
  if (bLoading_) return;
  member = option.enable.Ticked();
  option.path.SetEnabled(member);
  option.browse.SetEnabled(member);
  option.test.SetEnabled(member);
}

void SoundOptions::Changed(SoundOptionControls& option, std::string& member) {
  if (bLoading_) return;
  member = option.path.Text();
}

void SoundOptions::Browse(SoundOptionControls& option, std::string& member) {
  if (bLoading_) return;
  // Cancel leaves the dialog's file name as it was set: nothing changes.
  std::string chosen =
      dialogs_.ChooseFile({member, "wav", "Choose Sound File", "*.wav"}).value_or(member);
  option.path.SetText(chosen);
  member = chosen;
}

}  // namespace quorlen
