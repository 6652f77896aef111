#include "core/frm_msg.h"

namespace quorlen {

frmMSG::frmMSG(EventLoop& loop, std::function<std::pair<int, int>()> screenSize)
    : Timer1(loop, 1000), screenSize_(std::move(screenSize)) {
  window.SetBounds({0, 0, 420, 260});
  cmdOK.SetCaption("Close");
  cmdOK.SetDefault(true);
  cmdOK.onClick = [this] { cmdOK_Click(); };
  Timer1.onTick = [this] { Timer1_Timer(); };
}

void frmMSG::Show(const std::string& sMsgTitle, const std::string& sMsgText) {
  nSeconds_ = 0;
  Geometry bounds = window.Bounds();
  if (screenSize_) {
    auto [screenWidth, screenHeight] = screenSize_();
    bounds.left = screenWidth / 2 - bounds.width / 2;
    bounds.top = screenHeight / 2 - bounds.height / 2;
  }
  window.SetBounds(bounds);
  window.SetCaption(sMsgTitle);
  lblMSG.SetCaption(sMsgText);
  lblStatus.SetCaption("");
  window.SetVisible(true);
  Timer1.SetEnabled(false);  // a window shown again starts its count afresh
  Timer1.SetEnabled(true);
}

void frmMSG::cmdOK_Click() {
  Timer1.SetEnabled(false);
  window.SetVisible(false);
}

void frmMSG::Timer1_Timer() {
  ++nSeconds_;
  lblStatus.SetCaption("This Window will automatically close in " +
                       std::to_string(kLifetimeSeconds - nSeconds_) + " seconds.");
  if (nSeconds_ >= kLifetimeSeconds) cmdOK_Click();
}

}  // namespace quorlen
