#pragma once

#include <cstdint>
#include <string>

#include "core/controls.h"

namespace quorlen {

// The small, resizable, always-on-top statistics window. The counting code keeps it up
// to date even while it is hidden; its caption repeats both counts so that they stay
// readable when the user shrinks the window to its title bar.
class frmStats {
 public:
  frmStats();

  void setToday(std::int32_t n);
  void setLifeTime(std::int32_t n);
  void setServers(std::int32_t n);
  void setLastUpdate(const std::string& text);
  // Shows the window (not modal) and puts it above other windows.
  void Show();
  void Form_Unload();
  void SetTopMost(bool topMost) { window.SetTopMost(topMost); }

  Window window;
  Label Frame1;
  Label lbltot, lblTotBlocked, lblTotHosts, lblDateUpdate;
  Label LabelToday, LabelTotal, LabelServers;
  std::string lbltotToolTip;

 private:
  void RenewCaption();
};

}  // namespace quorlen
