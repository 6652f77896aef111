#include "help/frm_about.h"

#include "core/text.h"
#include "help/frm_feedback.h"

namespace quorlen {

frmAbout::frmAbout(SystemInfo& system, AboutFacts facts, Links links)
    : system_(system), facts_(std::move(facts)), links_(std::move(links)) {
  window.SetBounds({0, 0, 420, 250});
  Frame1.SetCaption("About Quorlen");
  cmdOK.SetCaption("OK");
  cmdOK.SetDefault(true);
  lblURL.SetCaption(facts_.vendorUrl);
  lblURL2.SetCaption(facts_.makerUrl);
  Label4.SetCaption("Quorlen is made by Kestro, Inc. Software.  Write to us at " +
                    MakerContactAddress(facts_.makerUrl) + ".");
  cmdOK.onClick = [this] { cmdOK_Click(); };
  lblURL.onClick = [this] { links_.openPage(facts_.vendorUrl); };
  lblURL2.onClick = [this] { links_.openPage(facts_.makerUrl); };
  Picture2.onClick = [this] { links_.showFeedback(); };
}

std::string frmAbout::SystemText(const SystemFacts& facts) {
  // "Linux 6.1.0" released as "6.1.0-28-amd64": version 6.1.0, build 28-amd64.
  std::string name =
      facts.osName.empty() ? "Windows" : facts.osName.substr(0, facts.osName.find(' '));
  std::string running = !facts.osName.empty() ? name
                        : facts.isNT          ? "Windows XP, 2000, or NT"
                                              : "Windows 95, 98, or ME";
  auto dash = facts.osRelease.find('-');
  std::string version = facts.osRelease.substr(0, dash);
  std::string build = dash == std::string::npos ? "" : facts.osRelease.substr(dash + 1);
  const std::string twoLines = std::string(kCrLf) + std::string(kCrLf);
  return "You're running " + running + twoLines + name + " Version " + version + ", " + name +
         " Build " + build;
}

void frmAbout::Show() {
  window.SetCaption("About " + facts_.programTitle);
  lblVersion.SetCaption("Quorlen Version " + facts_.ownVersion);
  lblExtra.SetCaption(
      SystemText({system_.OsPlatform() == 2, system_.OsName(), system_.OsRelease()}));
  window.Show();
}

}  // namespace quorlen
