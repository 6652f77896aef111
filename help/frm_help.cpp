#include "help/frm_help.h"

namespace quorlen {

frmHelp::frmHelp(WebPageOpener& opener, Links links, std::string vendorUrl)
    : opener_(opener), links_(std::move(links)), vendorUrl_(std::move(vendorUrl)) {
  window.SetCaption("Quorlen ");
  window.SetBounds({0, 0, 420, 130});
  cmdHome.SetCaption("Go To URL");
  cmdOK.SetCaption("Done");
  Label2.SetCaption("Browser:");
  cmdHome.onClick = [this] { cmdHome_Click(); };
  cmdOK.onClick = [this] { cmdOK_Click(); };
}

void frmHelp::Show() {
  window.SetVisible(true);
  OpenPage(links_.GetHelpURL());
  Unload();
}

void frmHelp::OpenPage(const std::string& address) {
  txtURL.SetText(address);
  opener_.Open(address, &lblCommand);
}

void frmHelp::cmdHome_Click() { OpenPage(vendorUrl_ + "default.asp"); }

void frmHelp::cmdOK_Click() {
  links_.SetHelpURL(vendorUrl_ + "help.asp");
  Unload();
}

}  // namespace quorlen
