#pragma once

#include <functional>
#include <string>

#include "core/controls.h"
#include "platform/system.h"

namespace quorlen {

// What the About window tells of the program and the system it runs on.
struct AboutFacts {
  std::string programTitle;  // "Quorlen"
  std::string ownVersion;    // major.minor.revision
  std::string vendorUrl;     // base URLs of the vendor and the maker sites
  std::string makerUrl;
};

// The system the program runs on, as the About window names it.
struct SystemFacts {
  bool isNT = true;
  std::string osName;     // "Linux 6.1.0"; empty on Windows
  std::string osRelease;  // "6.1.0-28-amd64": the version, a dash, the build
};

// The About window: version, the system in the shape of the Windows text, the two sites
// as links and the picture that leads to the feedback window.
class frmAbout {
 public:
  struct Links {
    std::function<void(const std::string&)> openPage;  // SetHelpURL, then the help launcher
    std::function<void()> showFeedback;
  };

  // `facts` gives the program and the sites; the system is asked each time it opens.
  frmAbout(SystemInfo& system, AboutFacts facts, Links links);

  // The window's load: fills the texts and shows it.
  void Show();
  void cmdOK_Click() { window.SetVisible(false); }
  // "You're running ..." and the system's version and build, as the window shows them.
  static std::string SystemText(const SystemFacts& system);

  Window window;
  Label Frame1, lblVersion, lblExtra, lblURL, lblURL2, Picture2, Label4;
  Button cmdOK;

 private:
  SystemInfo& system_;
  AboutFacts facts_;
  Links links_;
};

}  // namespace quorlen
