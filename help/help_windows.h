#pragma once

#include <functional>
#include <string>

#include "help/frm_about.h"
#include "help/frm_feedback.h"
#include "help/frm_help.h"
#include "help/web_page_opener.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/system.h"

namespace quorlen {

// The base addresses of the vendor site (data, help pages) and of the maker site
// (feedback, installer), each ending in "/".
struct SiteAddresses {
  std::string vendor = "http://www.quorlen.example/";
  std::string maker = "http://www.kestro.example/";
};

// The ways the program sends the user to web pages: the page to open with the help
// launcher, the feedback window and the About window, and the commands that lead there.
class HelpWindows {
 public:
  struct Services {
    Desktop& desktop;
    Dialogs& dialogs;
    EventLoop& loop;
    SystemInfo& system;
  };

  HelpWindows(Services services, SiteAddresses sites, std::string ownVersion);

  void SetHelpURL(const std::string& address) { sHelpURL_ = address; }
  const std::string& GetHelpURL() const { return sHelpURL_; }
  // Sets the page to open and shows the help launcher, which opens it.
  void OpenPage(const std::string& address);
  // The online help ("help.asp") and the tutorial ("helptut.asp") of the vendor site.
  void mnuHelpWeb_Click() { OpenPage(sites_.vendor + "help.asp"); }
  void mnuHelpTut_Click() { OpenPage(sites_.vendor + "helptut.asp"); }
  // The feedback window, about this program.
  void ShowFeedback();
  void ShowAbout() { about_.Show(); }
  void UnloadAll();

  const SiteAddresses& Sites() const { return sites_; }
  frmHelp& Help() { return help_; }
  frmFeedback& Feedback() { return feedback_; }
  frmAbout& About() { return about_; }

 private:
  SiteAddresses sites_;
  std::string sHelpURL_;
  WebPageOpener opener_;
  frmHelp help_;
  frmFeedback feedback_;
  frmAbout about_;
};

}  // namespace quorlen
