#pragma once

#include <functional>
#include <string>

#include "core/controls.h"
#include "help/web_page_opener.h"
#include "platform/dialogs.h"

namespace quorlen {

// The maker's contact address, from the maker site's address: "feedback@" and the host
// without a leading "www." ("http://www.kestro.example/" gives feedback@kestro.example).
std::string MakerContactAddress(const std::string& makerUrl);

// The feedback window: the user's comment and optional e-mail address become the query
// of the maker's feedback page, opened in the browser. The window stays open after
// sending; "Close" closes it and forgets its texts.
class frmFeedback {
 public:
  struct Facts {
    std::string makerUrl;    // base URL of the maker site, ending in "/"
    std::string ownVersion;  // major.minor.revision of the running program
  };

  frmFeedback(WebPageOpener& opener, Dialogs& dialogs, Facts facts,
              std::function<void()> letEventsRun);

  // Opens the window (or brings it forward) for reporting on `sProduct`.
  void Show();
  void cmdSend_Click();
  // Closes the window; like a window unloaded, it opens next time without a comment or
  // address, so a sent comment is not at hand to be sent twice.
  void cmdCancel_Click();
  // The feedback page's address for the current texts.
  std::string FeedbackAddress();

  // The product the feedback is about; every command that opens the window sets it.
  std::string sProduct;

  Window window;
  TextBox txtBody, txtEmail;
  Label Label2, Label3, Label4, Label5;
  Button cmdSend, cmdCancel;

 private:
  WebPageOpener& opener_;
  Dialogs& dialogs_;
  Facts facts_;
  std::function<void()> letEventsRun_;
};

}  // namespace quorlen
