#include "core/frm_stats.h"

namespace quorlen {

frmStats::frmStats() {
  window.SetCaption("Quorlen");
  window.SetBounds({0, 0, 230, 120});
  Frame1.SetCaption("Ad Blocking Statistics");
  LabelToday.SetCaption("Today (ads blocked)");
  LabelTotal.SetCaption("Total (ads blocked)");
  LabelServers.SetCaption("Ad Servers blocked");
  lbltot.SetCaption("0");
  lblTotBlocked.SetCaption("0");
  lblTotHosts.SetCaption("0");
  lblDateUpdate.SetCaption("Last Data Update: Never");
  lbltotToolTip = "Ads Blocked Today.  NOTE: YOU CAN RESIZE THIS WINDOW TO MAKE IT SMALLER!";
}

void frmStats::setToday(std::int32_t n) {
  lbltot.SetCaption(std::to_string(n));
  RenewCaption();
}

void frmStats::setLifeTime(std::int32_t n) {
  lblTotBlocked.SetCaption(std::to_string(n));
  RenewCaption();
}

void frmStats::setServers(std::int32_t n) { lblTotHosts.SetCaption(std::to_string(n)); }

void frmStats::setLastUpdate(const std::string& text) { lblDateUpdate.SetCaption(text); }

void frmStats::Show() { window.SetVisible(true); }

void frmStats::Form_Unload() {
  window.SetTopMost(false);
  window.SetVisible(false);
}

void frmStats::RenewCaption() {
  window.SetCaption("Ads " + lbltot.Caption() + " : " + lblTotBlocked.Caption());
}

}  // namespace quorlen
